#include "VideoOptionsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>

VideoOptionsDialog::VideoOptionsDialog(QWidget *parent, const VideoOptions &options)
    : QDialog(parent)
    , m_size(new QComboBox(this))
    , m_frameRate(new QComboBox(this))
{
    setWindowTitle(tr("Video Options"));
    m_size->setObjectName(QStringLiteral("videoSize"));
    m_frameRate->setObjectName(QStringLiteral("frameRate"));
    for (const QSize &size : VideoOptions::sizes()) {
        m_size->addItem(tr("%1 × %2").arg(size.width()).arg(size.height()), size);
        if (size == options.size)
            m_size->setCurrentIndex(m_size->count() - 1);
    }
    for (int rate : VideoOptions::frameRates()) {
        m_frameRate->addItem(tr("%1 pictures a second").arg(rate), rate);
        if (rate == options.frameRate)
            m_frameRate->setCurrentIndex(m_frameRate->count() - 1);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout(this);
    form->addRow(tr("Picture size:"), m_size);
    form->addRow(tr("Pictures a second:"), m_frameRate);
    form->addRow(buttons);
}

VideoOptions VideoOptionsDialog::options() const
{
    VideoOptions chosen;
    chosen.size = m_size->currentData().toSize();
    chosen.frameRate = m_frameRate->currentData().toInt();
    return chosen;
}

bool VideoOptionsDialog::ask(QWidget *parent, VideoOptions *options)
{
    VideoOptionsDialog dialog(parent, *options);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *options = dialog.options();
    return true;
}
