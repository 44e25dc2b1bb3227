#include "CommandLineExports.h"

#include "ExportRunner.h"

void CommandLineExports::install(ExportRunner &runner)
{
    // The video, PDF report and picture exports register here, one
    // runner.setExporter(kind, exporter) each, as they arrive.
    Q_UNUSED(runner);
}
