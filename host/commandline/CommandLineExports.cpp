#include "CommandLineExports.h"

#include "ExportRunner.h"
#include "mainWindow.h"

#include <memory>

namespace {

using Start = std::function<void(mainWindow *window, const ExportJob &job)>;

// Every export runs the same way: started on the window as its toolbar
// button would start it, but with the job's file instead of a save dialog,
// and over when the window says it has finished.
ExportRunner::Exporter throughWindow(const Start &start)
{
    return [start](mainWindow *window, const ExportJob &job, const ExportRunner::Done &done) {
        auto connection = std::make_shared<QMetaObject::Connection>();
        *connection = QObject::connect(window, &mainWindow::exportFinished, window,
                                       [connection, done](const QString &error) {
                                           QObject::disconnect(*connection);
                                           done(error);
                                       });
        start(window, job);
    };
}

} // namespace

void CommandLineExports::install(ExportRunner &runner)
{
    runner.setExporter(ExportJob::Kind::Video, throughWindow([](mainWindow *window, const ExportJob &job) {
        window->exportVideoTo(job.outputPath, job.video);
    }));
    runner.setExporter(ExportJob::Kind::Pdf, throughWindow([](mainWindow *window, const ExportJob &job) {
        window->exportPdfTo(job.outputPath, job.report);
    }));
    runner.setExporter(ExportJob::Kind::Gif, throughWindow([](mainWindow *window, const ExportJob &job) {
        window->exportVideoTo(job.outputPath, job.video);
    }));
    runner.setExporter(ExportJob::Kind::Page, throughWindow([](mainWindow *window, const ExportJob &job) {
        window->exportPageTo(job.outputPath);
    }));
    runner.setExporter(ExportJob::Kind::Picture, throughWindow([](mainWindow *window, const ExportJob &job) {
        window->exportPictureTo(job.outputPath, job.frame, job.width);
    }));
}
