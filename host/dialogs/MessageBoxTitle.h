#ifndef MESSAGEBOXTITLE_H
#define MESSAGEBOXTITLE_H

class QMessageBox;

// A message box is as wide as its text, and a window manager cuts a longer
// title to fit ("Error Ope… tion File"); this widens a box for its title.
class MessageBoxTitle
{
public:
    // Room the title bar's icon and buttons take beside the title.
    static constexpr int ButtonsWidth = 120;
    // The title bar's type against the box's.
    static constexpr double TitleScale = 1.25;

    // The width a title bar needs for `box`'s title: the title in the box's
    // font, bold and TitleScale times as large, plus ButtonsWidth.
    static int neededWidth(const QMessageBox &box);
    // Makes `box` at least neededWidth() wide. Call after setting the title.
    static void fit(QMessageBox &box);
};

#endif // MESSAGEBOXTITLE_H
