#ifndef PAGEFONTS_H
#define PAGEFONTS_H

#include <QString>

// The page and the dialogs name "Helvetica" (and the style sheet "arial"),
// which a stock machine does not have: the web engine would draw them in its
// serif standard font. The program carries Liberation Sans, metric-compatible
// with both, and makes those names resolve to it (the page's style sheet
// names it too, for an engine that does not see the application's fonts).
class PageFonts
{
public:
    // Registers the bundled faces from the resources and points the widget
    // font substitutions at them (EditorView points the engine's defaults).
    // Needs a QApplication. Returns false when a face could not be loaded
    // (the resources were not linked in); the program still runs, with the
    // machine's own fonts.
    static bool install();

    // "Liberation Sans".
    static QString family();
};

#endif // PAGEFONTS_H
