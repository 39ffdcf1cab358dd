#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The drives of this machine: "/" first, then the mount points of the real file
// systems (such as /home or /media/NAME), in path order. Pseudo file systems
// (proc, sysfs, tmpfs, cgroup, ...), mounts inside system folders (/proc, /sys,
// /dev, /run except /run/media, /snap) and mount points that are not folders
// are left out.
QStringList availableDrives();

// The longest offered drive root that contains the folder.
QString driveOf(const QString& folder);

// Each drive remembers its current folder for the whole process: the last folder
// entered on it, at first its root.
QString currentFolderOfDrive(const QString& drive);
void rememberFolder(const QString& folder);

// The mount table the drives are read from: /proc/self/mounts unless a test
// points elsewhere. An empty path restores the default.
void setMountTable(const QString& path);

} // namespace platform
