#include "ShortLabelDialog.h"

#include <QLineEdit>
#include <QPointer>

ShortLabelDialog::ShortLabelDialog(QWidget *parent, Qt::WindowFlags flags)
    : QInputDialog(parent, flags)
{
}

QString ShortLabelDialog::getText(QWidget *parent, const QString &title, const QString &label,
                                  QLineEdit::EchoMode echo, const QString &text, bool *ok,
                                  Qt::WindowFlags flags, Qt::InputMethodHints inputMethodHints)
{
    // Guarded: the parent may be destroyed while the nested event loop runs.
    QPointer<ShortLabelDialog> dialog = new ShortLabelDialog(parent, flags);
    dialog->setWindowTitle(title);
    dialog->setLabelText(label);
    dialog->setTextValue(text);
    dialog->setTextEchoMode(echo);
    dialog->setInputMethodHints(inputMethodHints);

    // The limit goes on after the text value, so a longer default is cut.
    for (QObject *child : dialog->children()) {
        if (auto *edit = qobject_cast<QLineEdit *>(child)) {
            edit->setMaxLength(kMaxLength);
            break;
        }
    }

    const int answer = dialog->exec();
    if (dialog.isNull()) {
        if (ok)
            *ok = false;
        return QString();
    }
    const bool accepted = answer == QDialog::Accepted;
    QString result = accepted ? dialog->textValue() : QString();
    // The limit counts UTF-16 units: a character outside the basic plane
    // can be cut in half, and half a character cannot reach the page.
    if (!result.isEmpty() && result.at(result.size() - 1).isHighSurrogate())
        result.chop(1);
    delete dialog;
    if (ok)
        *ok = accepted;
    return result;
}
