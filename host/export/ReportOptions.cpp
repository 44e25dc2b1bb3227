#include "ReportOptions.h"

#include <QSettings>

namespace {
const char kPicturesPerPageKey[] = "report/picturesPerPage";
} // namespace

QList<int> ReportOptions::picturesPerPageChoices()
{
    return {6, 4, 2};
}

bool ReportOptions::parsePicturesPerPage(const QString &text, int *picturesPerPage)
{
    bool ok = false;
    const int asked = text.trimmed().toInt(&ok);
    if (!ok || !picturesPerPageChoices().contains(asked))
        return false;
    *picturesPerPage = asked;
    return true;
}

ReportOptions ReportOptions::remembered()
{
    ReportOptions options;
    parsePicturesPerPage(QSettings().value(QLatin1String(kPicturesPerPageKey)).toString(), &options.picturesPerPage);
    return options;
}

void ReportOptions::remember() const
{
    QSettings().setValue(QLatin1String(kPicturesPerPageKey), picturesPerPage);
}
