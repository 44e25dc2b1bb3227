#include "GifOptionsDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>

GifOptionsDialog::GifOptionsDialog(QWidget *parent, const VideoOptions &options)
    : QDialog(parent)
    , m_width(new QComboBox(this))
    , m_frameRate(new QComboBox(this))
    , m_titleCard(new QCheckBox(tr("Open with the title card"), this))
{
    setWindowTitle(tr("GIF Options"));
    m_width->setObjectName(QStringLiteral("gifWidth"));
    m_frameRate->setObjectName(QStringLiteral("gifFrameRate"));
    m_titleCard->setObjectName(QStringLiteral("gifTitleCard"));
    for (int width : VideoOptions::gifWidths()) {
        m_width->addItem(tr("%1 × %2").arg(width).arg(width * 3 / 4), width);
        if (width == options.size.width())
            m_width->setCurrentIndex(m_width->count() - 1);
    }
    for (int rate : VideoOptions::gifFrameRates()) {
        m_frameRate->addItem(tr("%1 pictures a second").arg(rate), rate);
        if (rate == options.frameRate)
            m_frameRate->setCurrentIndex(m_frameRate->count() - 1);
    }
    m_titleCard->setChecked(options.titleCard);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout(this);
    form->addRow(tr("Picture size:"), m_width);
    form->addRow(tr("Pictures a second:"), m_frameRate);
    form->addRow(QString(), m_titleCard);
    form->addRow(buttons);
}

VideoOptions GifOptionsDialog::options() const
{
    VideoOptions chosen = VideoOptions::gif(m_width->currentData().toInt(), m_frameRate->currentData().toInt());
    chosen.titleCard = m_titleCard->isChecked();
    return chosen;
}

bool GifOptionsDialog::ask(QWidget *parent, VideoOptions *options)
{
    GifOptionsDialog dialog(parent, *options);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *options = dialog.options();
    return true;
}
