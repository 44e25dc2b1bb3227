#include "PageScreenshot.h"

#include "EditorPage.h"
#include "TestWebPage.h"

#include <QEventLoop>
#include <QImage>
#include <QPainter>
#include <QTimer>
#include <QWebFrame>

#include <cstdio>

namespace {
const int kLoadTimeoutMs = 20000;
}

bool PageScreenshot::save(const QString &outputPath, const QSize &viewport, int settleMs)
{
    EditorPage editor(viewport);
    QObject::connect(editor.page(), &TestWebPage::consoleMessage,
                     [](const QString &message, int line, const QString &source) {
                         std::fprintf(stderr, "page: %s (%s:%d)\n", qPrintable(message),
                                      qPrintable(source), line);
                     });
    if (!editor.load(kLoadTimeoutMs)) {
        std::fprintf(stderr, "the page did not load\n");
        return false;
    }

    QEventLoop loop;
    QTimer::singleShot(settleMs, &loop, &QEventLoop::quit);
    loop.exec();

    QImage image(viewport, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    editor.page()->mainFrame()->render(&painter);
    painter.end();
    if (!image.save(outputPath, "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(outputPath));
        return false;
    }
    return true;
}
