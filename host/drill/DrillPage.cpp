#include "DrillPage.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace {
const char kTemplate[] = "player/player.html";
const char kEditor[] = "index.html";
// The editor's folders whose scripts draw and play a drill; the others
// (the strips, the shell, the exports) edit it or write files.
const char *const kPlayedFolders[] = {"base", "model", "items", "controls", "pitch", "playback"};
const char kResources[] = ":/Resources/";
// The element that carries the drill, as the template writes it.
const char kDrillElement[] = "<script type=\"application/octet-stream\" id=\"drillmoraDrill\"";
const char kGenerator[] = "<meta name=\"generator\" content=\"Drillmora\">";

bool readResource(const QString &name, QByteArray *bytes, QString *error)
{
    QFile file(QLatin1String(kResources) + name);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("the player's part %1 is missing from the program").arg(name);
        return false;
    }
    *bytes = file.readAll();
    return true;
}

// A script or style sheet inside an element of its own: "</script" (and
// "</style") would end that element early, and "<!--" would change how
// the rest of it is read. The escapes mean the same in script and CSS
// strings, expressions and comments.
QByteArray inlined(QByteArray code)
{
    code.replace("</", "<\\/");
    code.replace("<!--", "<\\!--");
    return code;
}

QString dataUrl(const char *type, const QByteArray &bytes)
{
    return QStringLiteral("data:%1;base64,").arg(QLatin1String(type)) + QString::fromLatin1(bytes.toBase64());
}

// Only pictures the program has, by names of the form the editor loads.
QByteArray pictureTable(const QStringList &names)
{
    static const QRegularExpression form(QStringLiteral("^[A-Za-z]+/[A-Za-z0-9_]+\\.png$"));
    QJsonObject table;
    for (const QString &name : names) {
        QByteArray bytes;
        QString ignored;
        if (form.match(name).hasMatch() && !table.contains(name) && readResource(name, &bytes, &ignored))
            table.insert(name, dataUrl("image/png", bytes));
    }
    return "window.embeddedPictures = " + inlined(QJsonDocument(table).toJson(QJsonDocument::Compact)) + ";";
}

// The page's Helvetica is the program's Liberation Sans, as in the editor,
// whatever the browser's machine has: cut down to the characters of
// Europe's scripts, which is what captions and names are written in (any
// other is drawn in a face of the browser's).
bool faceRules(QByteArray *rules, QString *error)
{
    for (const char *face : {"Regular", "Bold"}) {
        QByteArray bytes;
        if (!readResource(QStringLiteral("fonts/web/LiberationSans-%1.woff").arg(QLatin1String(face)), &bytes, error))
            return false;
        const bool bold = qstrcmp(face, "Bold") == 0;
        *rules += "@font-face { font-family: 'Helvetica'; font-weight: " + QByteArray(bold ? "bold" : "normal")
                  + "; src: url(" + dataUrl("font/woff", bytes).toLatin1() + ") format('woff'); }\n";
    }
    return true;
}

// The editor page's script elements of the played folders, in its order.
bool editorScripts(QByteArray *scripts, QString *error)
{
    QByteArray editor;
    if (!readResource(QLatin1String(kEditor), &editor, error))
        return false;
    static const QRegularExpression element(QStringLiteral("<script src=\"(\\w+)/[^\"]+\"></script>"));
    for (auto match = element.globalMatch(QString::fromUtf8(editor)); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        for (const char *folder : kPlayedFolders) {
            if (m.captured(1) == QLatin1String(folder))
                *scripts += m.captured(0).toUtf8() + '\n';
        }
    }
    return true;
}

// Each <script src> and style sheet link of the template, replaced by what
// it names.
bool inlineParts(QByteArray *page, QString *error)
{
    static const QRegularExpression part(
        QStringLiteral("<script src=\"([^\"]+)\"></script>|<link rel=\"stylesheet\" type=\"text/css\" href=\"([^\"]+)\">"));
    const QString text = QString::fromUtf8(*page);
    QByteArray out;
    int at = 0;
    for (auto match = part.globalMatch(text); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        out += text.mid(at, m.capturedStart() - at).toUtf8();
        const bool script = !m.captured(1).isEmpty();
        QByteArray code;
        if (!readResource(script ? m.captured(1) : m.captured(2), &code, error))
            return false;
        out += (script ? "<script>\n" : "<style>\n") + inlined(code) + (script ? "\n</script>" : "\n</style>");
        at = m.capturedEnd();
    }
    out += text.mid(at).toUtf8();
    *page = out;
    return true;
}

// The page's own scripts, by hash, for its content security policy: a
// script that is not one of them (an event handler's, say) does not run.
QByteArray scriptHashes(const QByteArray &page)
{
    static const QRegularExpression script(QStringLiteral("<script>(.*?)</script>"),
                                           QRegularExpression::DotMatchesEverythingOption);
    QByteArrayList hashes;
    for (auto match = script.globalMatch(QString::fromUtf8(page)); match.hasNext();) {
        const QByteArray code = match.next().captured(1).toUtf8();
        hashes << "'sha256-" + QCryptographicHash::hash(code, QCryptographicHash::Sha256).toBase64() + "'";
    }
    return hashes.join(' ');
}
} // namespace

QByteArray DrillPage::build(const QString &text, const QString &name, const QStringList &pictureNames, QString *error)
{
    QByteArray page;
    QByteArray faces;
    QByteArray scripts;
    if (!readResource(QLatin1String(kTemplate), &page, error) || !faceRules(&faces, error)
        || !editorScripts(&scripts, error))
        return QByteArray();
    page.replace("<!--@EDITOR_SCRIPTS@-->\n", scripts);
    // The name last, so that nothing a coach typed is taken for a place of
    // the template (but the policy's, which comes before the name); it is
    // escaped, so it cannot be taken for a part either.
    page.replace("@FONTS@", faces);
    page.replace("@PICTURES@", pictureTable(pictureNames));
    page.replace("@DRILL@", text.toUtf8().toBase64());
    page.replace("@DRILL_NAME@", name.toHtmlEscaped().toUtf8());
    if (!inlineParts(&page, error))
        return QByteArray();
    // The policy's place is the first: a drill's name may spell it too.
    const QByteArray place("@SCRIPT_HASHES@");
    page.replace(page.indexOf(place), place.size(), scriptHashes(page));
    return page;
}

bool DrillPage::isWebPage(const QByteArray &bytes)
{
    const QByteArray head = bytes.left(64).trimmed().toLower();
    return head.startsWith("<!doctype html") || head.startsWith("<html");
}

bool DrillPage::drillBytes(const QByteArray &page, QByteArray *bytes, QString *error)
{
    const int element = page.indexOf(kDrillElement);
    const int open = element < 0 ? -1 : page.indexOf('>', element);
    const int close = open < 0 ? -1 : page.indexOf("</script>", open);
    if (!page.contains(kGenerator) || close < 0) {
        *error = QStringLiteral("it is a web page that holds no drill (only pages Drillmora wrote do)");
        return false;
    }
    const auto decoded = QByteArray::fromBase64Encoding(page.mid(open + 1, close - open - 1).trimmed(),
                                                        QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) {
        *error = QStringLiteral("the drill in this web page is damaged");
        return false;
    }
    *bytes = *decoded;
    return true;
}
