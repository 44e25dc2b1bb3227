#include "ExportProgress.h"

#include <QProgressBar>
#include <QProgressDialog>

ExportProgress::ExportProgress(QWidget *parent, bool offScreen)
    : QObject(parent)
    , m_parent(parent)
    , m_offScreen(offScreen)
{
}

ExportProgress::~ExportProgress()
{
    delete m_dialog;
}

// The page's first picture arrives asynchronously, after the dialog is there.
void ExportProgress::start(const QString &label)
{
    delete m_dialog;
    m_dialog = new QProgressDialog(label, tr("Cancel"), 0, 100, m_parent);
    // A dialog is a window of its own: a hidden window's stays off screen too.
    if (m_offScreen)
        m_dialog->setAttribute(Qt::WA_DontShowOnScreen);
    m_dialog->setWindowModality(Qt::WindowModal);
    m_dialog->setMinimumDuration(500);
    m_dialog->setValue(0);
    connect(m_dialog, &QProgressDialog::canceled, this, &ExportProgress::canceled);
    m_dialog->show();
}

// Not QProgressDialog::setValue: on a window-modal dialog that runs the event
// loop, where the page's next message could be handled inside this one and end
// the export (deleting the dialog under setValue) or write its picture before
// the one still being handled.
void ExportProgress::setPercent(int percent)
{
    if (!m_dialog)
        return;
    if (auto bar = m_dialog->findChild<QProgressBar *>())
        bar->setValue(percent);
}

void ExportProgress::setFull()
{
    if (m_dialog)
        setPercent(m_dialog->maximum());
}

void ExportProgress::end()
{
    delete m_dialog;
}

// The export is over at once; only the dialog's deletion waits.
void ExportProgress::endLater()
{
    if (m_dialog)
        m_dialog->deleteLater();
    m_dialog.clear();
}

bool ExportProgress::isShown() const
{
    return !m_dialog.isNull();
}

bool ExportProgress::wasCanceled() const
{
    return m_dialog && m_dialog->wasCanceled();
}
