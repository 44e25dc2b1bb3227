#include "AnimationFilePrefetch.h"

#include "AnimationFile.h"

void AnimationFilePrefetch::start(const QString &path)
{
    if (path.isEmpty())
        return;
    m_path = path;
    m_result = std::async(std::launch::async, [path] {
        Result result;
        result.ok = AnimationFile::readFirstLine(path, &result.line, &result.error, &result.fromPage);
        return result;
    });
}

bool AnimationFilePrefetch::take(const QString &path, bool *ok, QString *line, QString *error, bool *fromPage)
{
    if (m_path.isEmpty() || path != m_path)
        return false;
    m_path.clear();
    const Result result = m_result.get();
    *ok = result.ok;
    *line = result.line;
    *error = result.error;
    if (fromPage)
        *fromPage = result.fromPage;
    return true;
}
