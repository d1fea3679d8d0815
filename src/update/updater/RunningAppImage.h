#pragma once

#include <QString>

#include <optional>

namespace veyra {

// How this process was started, as far as an AppImage runtime tells: the variables it
// sets for the application it starts, the executable that runs and the table of mounts.
struct AppImageLaunch
{
    // $APPIMAGE: the AppImage file the runtime was started from.
    QString appImage;
    // $APPDIR: where the runtime mounted the AppImage's contents.
    QString appDir;
    // The running executable (/proc/self/exe).
    QString executable;
    // A file in the format of /proc/self/mountinfo listing this process's mounts.
    QString mountInfo;

    // This process's values.
    static AppImageLaunch ofThisProcess();
};

// The AppImage this process was started from, as a canonical path; nothing when it was
// not started from one. Variables inherited from another AppImage (a program started
// from inside it) name that other file: they are trusted only when the running
// executable lies inside $APPDIR, $APPDIR is a FUSE mount that the runtime made from
// the file $APPIMAGE names, and that file is a type-2 AppImage.
std::optional<QString> runningAppImagePath(const AppImageLaunch &launch);

} // namespace veyra
