#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The drives of this machine: "/" first, then the mount points of the real file
// systems (such as /home or /media/NAME), in path order.
QStringList availableDrives();

// The longest offered drive root that contains the folder.
QString driveOf(const QString& folder);

// Each drive remembers its current folder for the whole process: the last folder
// entered on it, at first its root.
QString currentFolderOfDrive(const QString& drive);
void rememberFolder(const QString& folder);

} // namespace platform
