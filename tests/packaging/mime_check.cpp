// Reads the MIME database under the share folder given as desktop programs do:
// drills are known by name or opening bytes; other JSON is not taken for one.
#include "AnimationText.h"

#include <QCoreApplication>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    qputenv("XDG_DATA_DIRS", QByteArray(argv[1]) + ":/usr/share");
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QByteArray drill = animationText(QStringLiteral("mime")).toUtf8() + '\n';
    const struct { const char *name; QByteArray content; bool isDrill; } cases[] = {
        {"by name.anim", drill, true},
        {"by content", drill, true},
        {"spaced by content", "{ \"msgType\" : \"OVRI_Animation\", \"nFrames\": 1 }\n", true},
        {"other json", "{\"msgType\":\"something else\"}\n", false},
        {"signature too late", QByteArray(80, ' ') + drill, false},
    };
    int failures = 0;
    for (const auto &c : cases) {
        QFile f(dir.filePath(QString::fromUtf8(c.name)));
        if (!f.open(QIODevice::WriteOnly) || f.write(c.content) != c.content.size())
            return 2;
        f.close();
        const QString type = QMimeDatabase().mimeTypeForFile(f.fileName()).name();
        if ((type == QLatin1String("application/x-drillmora-animation")) != c.isDrill) {
            std::fprintf(stderr, "mime check: \"%s\" is %s\n", c.name, qPrintable(type));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
