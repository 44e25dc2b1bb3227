#ifndef PAGEEXPORT_H
#define PAGEEXPORT_H

#include <QObject>
#include <QString>
#include <QVariantMap>

class jsInterface;

// The drill written as one web page that plays anywhere (DrillPage): the
// host asks the page for the drill as it stands and the pictures it shows
// ("exportPageResponse"), and writes the page from what comes back
// ("writePageData").
class PageExport : public QObject
{
    Q_OBJECT
public:
    explicit PageExport(jsInterface *bridge, QObject *parent = nullptr);

    // The drill named `drillName` into `path`; `showsErrors`: the coach
    // asked for it and is shown a failure.
    void start(const QString &path, const QString &drillName, bool showsErrors);
    // The page's answer; ignored when no page was asked for.
    void writeData(const QVariantMap &message);
    // Gives up the page asked for, for `reason`; ignored when none was.
    void abort(const QString &reason);

signals:
    // `error` empty when the file is written, else the sentence saying why
    // not; `shown` when the coach is to see that sentence.
    void finished(const QString &error, bool shown);
    // Right after a finished() without error: the page is at `path`.
    void written(const QString &path);

private:
    void end(const QString &error);

    jsInterface *m_bridge;
    QString m_outputPath;
    QString m_drillName;
    bool m_showsErrors = false;
};

#endif // PAGEEXPORT_H
