#ifndef SHORTLABELDIALOG_H
#define SHORTLABELDIALOG_H

#include <QInputDialog>

// The standard text prompt, with its line edit limited to the 4 characters
// a short label (a shirt number, say) may have on the pitch.
class ShortLabelDialog : public QInputDialog
{
    Q_OBJECT
public:
    explicit ShortLabelDialog(QWidget *parent = nullptr, Qt::WindowFlags flags = Qt::WindowFlags());

    static constexpr int kMaxLength = 4;

    // Same contract as QInputDialog::getText: runs the prompt modally and
    // returns the entered text when confirmed, an empty string otherwise;
    // `ok`, when given, tells which. A longer `text` opens cut to its first
    // 4 characters.
    static QString getText(QWidget *parent, const QString &title, const QString &label,
                           QLineEdit::EchoMode echo = QLineEdit::Normal,
                           const QString &text = QString(), bool *ok = nullptr,
                           Qt::WindowFlags flags = Qt::WindowFlags(),
                           Qt::InputMethodHints inputMethodHints = Qt::ImhNone);
};

#endif // SHORTLABELDIALOG_H
