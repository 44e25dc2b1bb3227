#ifndef FILEERRORTEXT_H
#define FILEERRORTEXT_H

#include <QCoreApplication>
#include <QString>

// The sentences of the boxes about a drill file that did not open: they
// name the file, and say in plain words when it is no drill at all, before
// the detail (the platform's or the page's reason) that follows them.
class FileErrorText
{
    Q_DECLARE_TR_FUNCTIONS(FileErrorText)
public:
    // Longer names are cut, so that no name makes a box wider than the screen.
    static constexpr int MaxNameLength = 80;

    // The file's name (its path when it has none, such as "/"), cut to
    // MaxNameLength characters with an ellipsis.
    static QString shownName(const QString &path);
    // The text's first `length` characters and an ellipsis when it is longer;
    // a cut never splits a character outside the Basic Multilingual Plane.
    static QString shortened(const QString &text, int length);
    // The host could not read the file at `path`.
    static QString notOpened(const QString &path);
    // The page refused the file's text for the reason `detail`.
    static QString refused(const QString &path, const QString &detail);
};

#endif // FILEERRORTEXT_H
