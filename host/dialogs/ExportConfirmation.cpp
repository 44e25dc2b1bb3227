#include "ExportConfirmation.h"

#include "FileErrorText.h"
#include "MessageBoxTitle.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("ExportConfirmation", text);
}

QString saidOf(ExportConfirmation::Kind kind)
{
    switch (kind) {
    case ExportConfirmation::Kind::Video:
        return tr("Video saved as \u201C%1\u201D.");
    case ExportConfirmation::Kind::Report:
        return tr("Report saved as \u201C%1\u201D.");
    case ExportConfirmation::Kind::Gif:
        return tr("GIF saved as \u201C%1\u201D.");
    case ExportConfirmation::Kind::Page:
        return tr("Web page saved as \u201C%1\u201D.");
    case ExportConfirmation::Kind::Picture:
        break;
    }
    return tr("Picture saved as \u201C%1\u201D.");
}

} // namespace

const char ExportConfirmation::ObjectName[] = "exportConfirmation";

QMessageBox *ExportConfirmation::show(QWidget *parent, Kind kind, const QString &path)
{
    // One at a time: an earlier one still open has had its say.
    if (auto *earlier = parent->findChild<QMessageBox *>(QLatin1String(ObjectName), Qt::FindDirectChildrenOnly)) {
        earlier->setObjectName(QString());
        earlier->close();
    }
    const QFileInfo file(path);
    const QString folder = file.absolutePath();
    auto *box = new QMessageBox(QMessageBox::Information, QCoreApplication::applicationName(),
                                saidOf(kind).arg(FileErrorText::shownName(path)), QMessageBox::Ok, parent);
    box->setObjectName(QLatin1String(ObjectName));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    // Names are shown as they stand, never as rich text.
    box->setTextFormat(Qt::PlainText);
    box->setInformativeText(tr("In %1").arg(QDir::toNativeSeparators(folder)));
    if (auto *informative = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
    QPushButton *play = kind == Kind::Video ? box->addButton(tr("Play"), QMessageBox::ActionRole)
        : kind == Kind::Gif || kind == Kind::Page ? box->addButton(tr("Open"), QMessageBox::ActionRole)
                                            : nullptr;
    QPushButton *openFolder = box->addButton(tr("Open Folder"), QMessageBox::ActionRole);
    box->setDefaultButton(QMessageBox::Ok);
    QObject::connect(box, &QMessageBox::buttonClicked, box, [=](QAbstractButton *button) {
        if (button == openFolder)
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
        else if (play && button == play)
            QDesktopServices::openUrl(QUrl::fromLocalFile(file.absoluteFilePath()));
    });
    MessageBoxTitle::fit(*box);
    box->show();
    return box;
}
