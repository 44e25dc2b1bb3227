#include "VideoOptionsDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>

VideoOptionsDialog::VideoOptionsDialog(QWidget *parent, const VideoOptions &options)
    : QDialog(parent)
    , m_shape(new QComboBox(this))
    , m_size(new QComboBox(this))
    , m_frameRate(new QComboBox(this))
{
    setWindowTitle(tr("Video Options"));
    m_shape->setObjectName(QStringLiteral("videoShape"));
    m_size->setObjectName(QStringLiteral("videoSize"));
    m_frameRate->setObjectName(QStringLiteral("frameRate"));
    // The names say what each shape suits; the data is the shape itself.
    const QStringList names = {tr("4:3, the pitch alone"), tr("16:9, widescreen"), tr("9:16, a phone held upright"),
                               tr("1:1, square")};
    const QStringList shapes = VideoOptions::shapes();
    for (int i = 0; i < shapes.size(); ++i)
        m_shape->addItem(names.value(i, shapes[i]), shapes[i]);
    const QString shape = VideoOptions::shapeOf(options.size);
    m_shape->setCurrentIndex(qMax(0, shapes.indexOf(shape)));
    offerSizes(m_shape->currentData().toString(), options.size);
    connect(m_shape, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            [this] { offerSizes(m_shape->currentData().toString(), QSize()); });
    for (int rate : VideoOptions::frameRates()) {
        m_frameRate->addItem(tr("%1 pictures a second").arg(rate), rate);
        if (rate == options.frameRate)
            m_frameRate->setCurrentIndex(m_frameRate->count() - 1);
    }
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout(this);
    form->addRow(tr("Shape:"), m_shape);
    form->addRow(tr("Picture size:"), m_size);
    form->addRow(tr("Pictures a second:"), m_frameRate);
    form->addRow(buttons);
}

void VideoOptionsDialog::offerSizes(const QString &shape, const QSize &size)
{
    m_size->clear();
    for (const QSize &offered : VideoOptions::sizesOf(shape)) {
        m_size->addItem(tr("%1 × %2").arg(offered.width()).arg(offered.height()), offered);
        if (offered == size)
            m_size->setCurrentIndex(m_size->count() - 1);
    }
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
