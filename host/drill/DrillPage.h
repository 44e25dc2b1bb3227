#ifndef DRILLPAGE_H
#define DRILLPAGE_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// The drill as one web page that plays in any browser with no network: the
// player page from the resources with every script, style sheet, picture and
// face it uses written into it, and the drill's own text, which Drillmora
// reads back when the page is opened as a drill. The text goes in as base64
// of its UTF-8 bytes and the drill's name as escaped text, so that nothing a
// coach typed can end the element it stands in or become markup.
class DrillPage
{
public:
    // The page of the drill `text` named `name`, carrying the pictures named
    // (as the editor loads them: "fieldItems/playerRed.png"; names that are
    // not the program's pictures are left out). Empty, with `*error` set,
    // when the resources lack a part of the player.
    static QByteArray build(const QString &text, const QString &name, const QStringList &pictureNames,
                            QString *error);

    // A file that is a web page of any kind (its first bytes say so).
    static bool isWebPage(const QByteArray &bytes);
    // The drill's text carried by a page build() wrote: its UTF-8 bytes, as
    // a .anim file holds them; false, with `*error` set, for any other page.
    static bool drillBytes(const QByteArray &page, QByteArray *bytes, QString *error);
};

#endif // DRILLPAGE_H
