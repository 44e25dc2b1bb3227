#ifndef OPENEDURLS_H
#define OPENEDURLS_H

#include <QDesktopServices>
#include <QList>
#include <QObject>
#include <QUrl>

// Takes every file or folder the program hands the desktop's opener
// (QDesktopServices::openUrl), in order, so that no test starts a file
// manager or a player. Install it before the first window is made.
class OpenedUrls : public QObject
{
    Q_OBJECT
public:
    static OpenedUrls &instance()
    {
        static OpenedUrls opened;
        return opened;
    }

    static void install() { QDesktopServices::setUrlHandler(QStringLiteral("file"), &instance(), "open"); }

    // What was opened since the last take, and forgets it.
    QList<QUrl> take()
    {
        QList<QUrl> urls;
        urls.swap(m_urls);
        return urls;
    }

public slots:
    void open(const QUrl &url) { m_urls << url; }

private:
    QList<QUrl> m_urls;
};

#endif // OPENEDURLS_H
