#ifndef LASTUSEDFOLDER_H
#define LASTUSEDFOLDER_H

#include <QString>

// The folder every host file dialog starts in: the folder of the file the
// coach last picked in one (or opened from the command line, or dropped),
// at first the documents folder. The editor keeps it in the program's
// settings for the next start; exports from the command line keep it in
// memory only, leaving the coach's as it was. A folder that is not there
// (any more) gives way to the home folder: given a missing folder, Qt's
// dialog typed its path into the name field instead of showing it.
class LastUsedFolder
{
public:
    enum class Kept { InMemory, BetweenRuns };

    explicit LastUsedFolder(Kept kept);

    // The folder to start in: the last one used while it is a folder, else
    // the home folder.
    QString path() const;
    // `name` in path(); a path of its own (a drill's file) where its folder
    // is still there, else its file name in path().
    QString withName(const QString &name) const;
    // Takes the folder of `filePath`, a file the coach picked or opened.
    void rememberFolderOf(const QString &filePath);

private:
    Kept m_kept;
    QString m_folder;
};

#endif // LASTUSEDFOLDER_H
