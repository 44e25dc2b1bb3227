#ifndef APPLICATIONIDENTITY_H
#define APPLICATIONIDENTITY_H

#include <QUrl>

// The program's fixed identity, set on the application object before any
// window exists; the About dialog reads it back from there.
class ApplicationIdentity
{
public:
    // Sets name, organisation, domain and version. Needs a QCoreApplication.
    static void apply();

    // The product's web site, opened by the About dialog's "Online Help".
    static QUrl webSite();
};

#endif // APPLICATIONIDENTITY_H
