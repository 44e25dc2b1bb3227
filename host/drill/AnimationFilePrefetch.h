#ifndef ANIMATIONFILEPREFETCH_H
#define ANIMATIONFILEPREFETCH_H

#include <QString>

#include <future>

// The first line of one animation file, read on a thread of its own from
// the moment it is asked for: a drill named on the command line is read
// and decoded while the editor page loads, not after.
class AnimationFilePrefetch
{
public:
    AnimationFilePrefetch() = default;
    AnimationFilePrefetch(const AnimationFilePrefetch &) = delete;
    AnimationFilePrefetch &operator=(const AnimationFilePrefetch &) = delete;

    // Starts reading `path`; an empty path reads nothing.
    void start(const QString &path);

    // The file being read, as named to start; empty when none is, or once
    // it has been taken.
    const QString &path() const { return m_path; }

    // For the file being read (named as it was to start): waits for the
    // reading, gives what AnimationFile::readFirstLine would have, in `ok`,
    // `line`, `error` and `fromPage`, and forgets it, so that a later open reads the
    // file again. For any other path returns false and gives nothing.
    bool take(const QString &path, bool *ok, QString *line, QString *error, bool *fromPage = nullptr);

private:
    struct Result
    {
        bool ok = false;
        QString line;
        QString error;
        bool fromPage = false;
    };

    QString m_path;
    std::future<Result> m_result;
};

#endif // ANIMATIONFILEPREFETCH_H
