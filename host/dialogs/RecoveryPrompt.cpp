#include "RecoveryPrompt.h"

#include "RecoveryStore.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("RecoveryPrompt", text);
}

} // namespace

RecoveryPrompt::Answer RecoveryPrompt::askToRecover(QWidget *parent, const RecoveredDrill &drill)
{
    const QString text = drill.file.isEmpty()
                             ? tr("Drillmora stopped before an untitled drill was saved.")
                             : tr("Drillmora stopped before the changes to %1 were saved.")
                                   .arg(QFileInfo(drill.file).fileName());
    QMessageBox box(QMessageBox::Warning, QCoreApplication::applicationName(), text, QMessageBox::NoButton, parent);
    // A file's name is shown as it stands, never as rich text.
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(tr("Recover the drill as it was, with its unsaved changes, or discard them?"));
    QPushButton *recover = box.addButton(tr("Recover"), QMessageBox::AcceptRole);
    QAbstractButton *discard = box.addButton(QMessageBox::Discard);
    box.setDefaultButton(recover);
    box.exec();
    if (box.clickedButton() == recover)
        return Answer::Recover;
    return box.clickedButton() == discard ? Answer::Discard : Answer::Unanswered;
}
