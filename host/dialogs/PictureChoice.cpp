#include "PictureChoice.h"

#include "MessageBoxTitle.h"
#include "SaveFileDialog.h"

#include <QCoreApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>

namespace {

const char kWidthKey[] = "picture/width";

QString tr(const char *text)
{
    return QCoreApplication::translate("PictureChoice", text);
}

} // namespace

bool PictureChoice::savingAfterCopy(QWidget *parent)
{
    QMessageBox box(QMessageBox::NoIcon, QString(), tr("Snapshot copied to the clipboard."), QMessageBox::Ok, parent);
    QPushButton *save = box.addButton(tr("Save as a Picture\u2026"), QMessageBox::ActionRole);
    box.setDefaultButton(QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    MessageBoxTitle::fit(box);
    box.exec();
    return box.clickedButton() == save;
}

bool PictureChoice::ask(QWidget *parent, const QString &proposedPath, QString *path, int *width)
{
    SaveFileDialog dialog(parent, tr("Save Picture"), proposedPath, nameFilters().join(QStringLiteral(";;")),
                          QStringLiteral("png"));
    const QString chosen = dialog.choose();
    if (chosen.isEmpty())
        return false;

    QStringList labels;
    for (int offered : widths())
        labels << widthLabel(offered);
    const int remembered = QSettings().value(QLatin1String(kWidthKey), DefaultWidth).toInt();
    const int current = qMax(0, widths().indexOf(remembered));
    bool ok = false;
    const QString label = QInputDialog::getItem(parent, tr("Picture Width"), tr("Width of the picture, in pixels:"),
                                                labels, current, false, &ok);
    const int index = labels.indexOf(label);
    if (!ok || index < 0)
        return false;
    *path = chosen;
    *width = widths().at(index);
    QSettings().setValue(QLatin1String(kWidthKey), *width);
    return true;
}

QStringList PictureChoice::nameFilters()
{
    return {tr("PNG Pictures (*.png)"), tr("JPEG Pictures (*.jpg *.jpeg)")};
}

QList<int> PictureChoice::widths()
{
    return {640, 1024, 1440, 1920};
}

QString PictureChoice::widthLabel(int width)
{
    return tr("%1 \u00d7 %2").arg(width).arg(width * 3 / 4);
}
