#ifndef ANIMATIONTEXT_H
#define ANIMATIONTEXT_H

#include <QString>

// A complete, empty animation as the editor writes it, with `caption` as the
// caption of its one frame. The real page loads these without complaint, so
// host tests can open files without tripping its error report.
inline QString animationText(const QString &caption)
{
    return QStringLiteral(
               "{\"msgType\":\"OVRI_Animation\",\"msgVersion\":0.1,\"sport\":\"gaa\",\"showRunningLines\":false,"
               "\"background\":{\"type\":\"fullField\",\"showStripes\":true,\"showLogo\":false,"
               "\"logoImage\":\"logos/ovri256x256.png\"},\"rotation\":0,\"gridVisible\":false,\"nFrames\":1,"
               "\"selectedFrame\":0,\"objects\":[],\"frameText\":[\"%1\"]}")
        .arg(caption);
}

#endif // ANIMATIONTEXT_H
