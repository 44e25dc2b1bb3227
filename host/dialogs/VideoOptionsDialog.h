#ifndef VIDEOOPTIONSDIALOG_H
#define VIDEOOPTIONSDIALOG_H

#include "VideoOptions.h"

#include <QDialog>

class QComboBox;

// Asks for the shape, picture size and rate of the video about to be
// exported, starting from the coach's last choice. The sizes offered are
// those of the shape chosen.
class VideoOptionsDialog : public QDialog
{
    Q_OBJECT
public:
    VideoOptionsDialog(QWidget *parent, const VideoOptions &options);

    VideoOptions options() const;

    // Shows the dialog; true with `*options` set when the coach went on,
    // false (and `*options` untouched) on Cancel.
    static bool ask(QWidget *parent, VideoOptions *options);

private:
    // The sizes of `shape`, `size` chosen when it is one of them.
    void offerSizes(const QString &shape, const QSize &size);

    QComboBox *m_shape;
    QComboBox *m_size;
    QComboBox *m_frameRate;
};

#endif // VIDEOOPTIONSDIALOG_H
