#ifndef PICTUREFILE_H
#define PICTUREFILE_H

#include <QString>

// Writes a picture the page drew (a JPEG data URL) to a file, in the format
// the file's suffix names: a .jpg or .jpeg file gets the page's JPEG as it
// is, a .png file the same pixels as PNG.
class PictureFile
{
public:
    // Returns an empty string on success, else why nothing was written; a
    // failed write leaves no file and any earlier one untouched.
    static QString write(const QString &path, const QString &jpegDataUrl);
};

#endif // PICTUREFILE_H
