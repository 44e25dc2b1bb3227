#include "MessageBoxTitle.h"

#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

// Window managers draw titles bold and often larger than the text below.
int MessageBoxTitle::neededWidth(const QMessageBox &box)
{
    QFont font = box.font();
    font.setBold(true);
    font.setPointSizeF(font.pointSizeF() * TitleScale);
    return QFontMetrics(font).horizontalAdvance(box.windowTitle()) + ButtonsWidth;
}

// QMessageBox fixes its own size from its layout's minimum width each time
// it is shown, so a minimum set on the box is overridden; a spacer across
// the bottom of its grid is not.
void MessageBoxTitle::fit(QMessageBox &box)
{
    auto *grid = qobject_cast<QGridLayout *>(box.layout());
    if (!grid || box.windowTitle().isEmpty())
        return;
    const int margins = grid->contentsMargins().left() + grid->contentsMargins().right();
    grid->addItem(new QSpacerItem(neededWidth(box) - margins, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
}
