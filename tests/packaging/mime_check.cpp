// Reads the MIME database under the share folder given (after
// update-mime-database) the way desktop programs do, through Qt, and checks
// that drills are recognised by their name and, without one, by their
// opening bytes, and that other JSON is not taken for a drill.
#include "AnimationText.h"

#include <QCoreApplication>
#include <QFile>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QTextStream>

int main(int argc, char *argv[])
{
    if (argc != 2)
        return 2;
    qputenv("XDG_DATA_DIRS", QByteArray(argv[1]) + ":/usr/share");
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QByteArray drill = animationText(QStringLiteral("mime")).toUtf8() + '\n';
    const QByteArray spaced = "{ \"msgType\" : \"OVRI_Animation\", \"nFrames\": 1 }\n";
    const struct {
        const char *name;
        QByteArray content;
        bool isDrill;
    } cases[] = {
        {"by name.anim", drill, true},
        {"by content", drill, true},
        {"spaced by content", spaced, true},
        {"other json", "{\"msgType\":\"something else\"}\n", false},
        {"signature too late", QByteArray(80, ' ') + drill, false},
    };
    QTextStream err(stderr);
    int failures = 0;
    const QString expected = QStringLiteral("application/x-drillmora-animation");
    for (const auto &c : cases) {
        QFile f(dir.filePath(QString::fromUtf8(c.name)));
        if (!f.open(QIODevice::WriteOnly) || f.write(c.content) != c.content.size())
            return 2;
        f.close();
        const QString type = QMimeDatabase().mimeTypeForFile(f.fileName()).name();
        if ((type == expected) != c.isDrill) {
            err << "mime check: \"" << c.name << "\" is " << type << '\n';
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}
