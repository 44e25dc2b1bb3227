#include "PageFonts.h"

#include <QFont>
#include <QFontDatabase>

namespace {
const char *const kFaces[] = {
    ":/Resources/fonts/LiberationSans-Regular.ttf",
    ":/Resources/fonts/LiberationSans-Bold.ttf",
};
const char *const kAliases[] = {"Helvetica", "Arial", "arial"};
} // namespace

QString PageFonts::family()
{
    return QStringLiteral("Liberation Sans");
}

bool PageFonts::install()
{
    bool allLoaded = true;
    for (const char *face : kFaces) {
        if (QFontDatabase::addApplicationFont(QString::fromLatin1(face)) < 0)
            allLoaded = false;
    }

    for (const char *alias : kAliases)
        QFont::insertSubstitution(QString::fromLatin1(alias), family());
    return allLoaded;
}
