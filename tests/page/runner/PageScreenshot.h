#ifndef PAGESCREENSHOT_H
#define PAGESCREENSHOT_H

#include <QSize>
#include <QString>

// Renders the editor page, as the host would show it in a window of the
// given size, into a PNG file: a way to look at the page without a display.
class PageScreenshot
{
public:
    // Waits `settleMs` after loading so that the pictures (icons, logos)
    // have arrived. Prints the page's console messages to standard error.
    // Returns false, with the reason on standard error, on failure.
    static bool save(const QString &outputPath, const QSize &viewport, int settleMs);
};

#endif // PAGESCREENSHOT_H
