#include "ReportOptionsDialog.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A drill added to the list keeps its path here; the open drill has none.
constexpr int PathRole = Qt::UserRole;

QString pageText(int picturesPerPage)
{
    return picturesPerPage == 2
        ? QCoreApplication::translate("ReportOptionsDialog", "%1, on landscape pages").arg(picturesPerPage)
        : QCoreApplication::translate("ReportOptionsDialog", "%1, on portrait pages").arg(picturesPerPage);
}

} // namespace

ReportOptionsDialog::ReportOptionsDialog(QWidget *parent, const QString &openDrill, const QString &folder,
                                         const ReportOptions &options)
    : QDialog(parent)
    , m_folder(folder)
    , m_perPage(new QComboBox(this))
    , m_drills(new QListWidget(this))
    , m_remove(new QPushButton(tr("Remove"), this))
    , m_up(new QPushButton(tr("Move Up"), this))
    , m_down(new QPushButton(tr("Move Down"), this))
{
    setWindowTitle(tr("Report Options"));
    m_perPage->setObjectName(QStringLiteral("picturesPerPage"));
    m_drills->setObjectName(QStringLiteral("reportDrills"));
    for (int choice : ReportOptions::picturesPerPageChoices()) {
        m_perPage->addItem(pageText(choice), choice);
        if (choice == options.picturesPerPage)
            m_perPage->setCurrentIndex(m_perPage->count() - 1);
    }
    m_drills->addItem(tr("%1 (the drill open)").arg(openDrill));
    addDrills(options.otherDrills);

    auto *add = new QPushButton(tr("Add Drills..."), this);
    add->setObjectName(QStringLiteral("addDrills"));
    connect(add, &QPushButton::clicked, this, &ReportOptionsDialog::chooseDrills);
    connect(m_remove, &QPushButton::clicked, this, &ReportOptionsDialog::removeSelected);
    connect(m_up, &QPushButton::clicked, this, [this] { moveSelected(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { moveSelected(1); });
    connect(m_drills, &QListWidget::currentRowChanged, this, &ReportOptionsDialog::updateButtons);

    auto *listButtons = new QVBoxLayout;
    for (QPushButton *button : {add, m_remove, m_up, m_down})
        listButtons->addWidget(button);
    listButtons->addStretch();
    auto *drills = new QHBoxLayout;
    drills->addWidget(m_drills);
    drills->addLayout(listButtons);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *form = new QFormLayout(this);
    form->addRow(tr("Pictures a page:"), m_perPage);
    form->addRow(tr("Drills, in order:"), drills);
    form->addRow(buttons);
    updateButtons();
}

ReportOptions ReportOptionsDialog::options() const
{
    ReportOptions chosen;
    chosen.picturesPerPage = m_perPage->currentData().toInt();
    for (int row = 1; row < m_drills->count(); ++row)
        chosen.otherDrills << m_drills->item(row)->data(PathRole).toString();
    return chosen;
}

void ReportOptionsDialog::addDrills(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (options().otherDrills.contains(path))
            continue;
        auto *item = new QListWidgetItem(QFileInfo(path).completeBaseName(), m_drills);
        item->setData(PathRole, path);
        item->setToolTip(QDir::toNativeSeparators(path));
    }
    updateButtons();
}

void ReportOptionsDialog::chooseDrills()
{
    const QStringList paths = QFileDialog::getOpenFileNames(this, tr("Add Drills to the Report"), m_folder,
                                                            tr("Animation Files (*.anim)"));
    if (!paths.isEmpty())
        m_folder = QFileInfo(paths.first()).absolutePath();
    addDrills(paths);
}

// The open drill stays first: only the others move, among themselves.
void ReportOptionsDialog::moveSelected(int by)
{
    const int row = m_drills->currentRow();
    const int to = row + by;
    if (row < 1 || to < 1 || to >= m_drills->count())
        return;
    QListWidgetItem *item = m_drills->takeItem(row);
    m_drills->insertItem(to, item);
    m_drills->setCurrentRow(to);
}

void ReportOptionsDialog::removeSelected()
{
    const int row = m_drills->currentRow();
    if (row >= 1)
        delete m_drills->takeItem(row);
    updateButtons();
}

void ReportOptionsDialog::updateButtons()
{
    const int row = m_drills->currentRow();
    m_remove->setEnabled(row >= 1);
    m_up->setEnabled(row > 1);
    m_down->setEnabled(row >= 1 && row < m_drills->count() - 1);
}

bool ReportOptionsDialog::ask(QWidget *parent, const QString &openDrill, const QString &folder, ReportOptions *options)
{
    ReportOptionsDialog dialog(parent, openDrill, folder, *options);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    *options = dialog.options();
    return true;
}
