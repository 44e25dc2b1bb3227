#ifndef STAGEDFILE_H
#define STAGEDFILE_H

#include <QString>

#include <memory>

class QByteArray;
class QTemporaryFile;

// A file's new content, written beside it under a hidden name and put in
// its place only once complete, so that nothing cut short (a full disk, a
// failed encoder, a killed process) ever bears the file's name, and a
// failure leaves the earlier file as it was.
//
// Replacing keeps what was there: the new file gets the old one's
// permissions (a new file the usual ones of the user's files), a symbolic
// link is kept and the file it names is replaced, and a file the user may
// not write is refused rather than replaced through the folder's rights.
//
// Use: open(), write the content (write(), or anything that writes to
// fileName()), putInPlace(). Destroyed before that, the staged file is
// removed and the target left alone.
class StagedFile
{
public:
    explicit StagedFile(const QString &target);
    ~StagedFile();

    StagedFile(const StagedFile &) = delete;
    StagedFile &operator=(const StagedFile &) = delete;

    // Creates the staged file, empty, beside the file the target names.
    // False, with the platform's reason in `error`, when the target is a
    // folder, a device, pipe or socket, a link loop, a file the user may
    // not write, or when nothing can be created in its folder.
    bool open(QString *error);

    // The staged file, for writers that take a path; empty before open().
    QString fileName() const;

    // Appends `bytes` to the staged file, all of them or none: false with
    // the reason (a full disk, say) when not every byte was written.
    bool write(const QByteArray &bytes, QString *error);

    // Makes sure the staged content is on the disk, gives it the replaced
    // file's permissions and renames it over the target. False with the
    // reason when any of that fails; the target is then as it was.
    bool putInPlace(QString *error);

private:
    bool resolveTarget(QString *error);
    bool settle(int file) const;

    QString m_target;
    std::unique_ptr<QTemporaryFile> m_file;
};

#endif // STAGEDFILE_H
