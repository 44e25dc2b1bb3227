#ifndef GIFOPTIONSDIALOG_H
#define GIFOPTIONSDIALOG_H

#include "VideoOptions.h"

#include <QDialog>

class QCheckBox;
class QComboBox;

// Asks for the width and rate of the animated GIF about to be exported,
// and whether it opens with the title card, starting from the coach's last
// choice.
class GifOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    GifOptionsDialog(QWidget *parent, const VideoOptions &options);

    VideoOptions options() const;

    // Shows the dialog; true with `*options` set when the coach went on,
    // false (and `*options` untouched) on Cancel.
    static bool ask(QWidget *parent, VideoOptions *options);

private:
    QComboBox *m_width;
    QComboBox *m_frameRate;
    QCheckBox *m_titleCard;
};

#endif // GIFOPTIONSDIALOG_H
