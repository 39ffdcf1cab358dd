#include "platform/drives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>

namespace platform {

namespace {

const QString defaultMountTable = QStringLiteral("/proc/self/mounts");

QString& mountTable()
{
    static QString path = defaultMountTable;
    return path;
}

QHash<QString, QString>& currentFolders()
{
    static QHash<QString, QString> folders;
    return folders;
}

// Kernel and service file systems that hold no user files.
bool isPseudoType(const QString& type)
{
    static const QSet<QString> pseudo = {
        QStringLiteral("proc"),        QStringLiteral("sysfs"),      QStringLiteral("tmpfs"),
        QStringLiteral("devtmpfs"),    QStringLiteral("devpts"),     QStringLiteral("cgroup"),
        QStringLiteral("cgroup2"),     QStringLiteral("securityfs"), QStringLiteral("pstore"),
        QStringLiteral("debugfs"),     QStringLiteral("tracefs"),    QStringLiteral("configfs"),
        QStringLiteral("fusectl"),     QStringLiteral("mqueue"),     QStringLiteral("hugetlbfs"),
        QStringLiteral("bpf"),         QStringLiteral("autofs"),     QStringLiteral("binfmt_misc"),
        QStringLiteral("efivarfs"),    QStringLiteral("ramfs"),      QStringLiteral("rpc_pipefs"),
        QStringLiteral("nsfs"),        QStringLiteral("selinuxfs"),  QStringLiteral("overlay"),
        QStringLiteral("squashfs"),    QStringLiteral("nfsd"),       QStringLiteral("devfs"),
        QStringLiteral("usbfs"),       QStringLiteral("fuse.portal"),
        QStringLiteral("fuse.gvfsd-fuse"),
    };
    return pseudo.contains(type);
}

bool isInside(const QString& path, const QString& folder)
{
    return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// Container layers, snap images and the kernel's own trees are not drives.
bool isSystemPlace(const QString& path)
{
    static const QStringList places = {
        QStringLiteral("/proc"), QStringLiteral("/sys"),  QStringLiteral("/dev"),
        QStringLiteral("/run"),  QStringLiteral("/snap"), QStringLiteral("/var/lib/docker"),
    };
    if (isInside(path, QStringLiteral("/run/media")))
        return false;
    return std::any_of(places.begin(), places.end(), [&](const QString& p) { return isInside(path, p); });
}

// Mount points escape blanks and backslashes as three octal digits ("\040").
QString unescaped(const std::string& field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()
            && std::all_of(field.begin() + i + 1, field.begin() + i + 4, [](char c) { return c >= '0' && c <= '7'; })) {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0'));
            i += 3;
        } else {
            out += field[i];
        }
    }
    return QFile::decodeName(QByteArray::fromStdString(out));
}

bool contains(const QString& drive, const QString& folder)
{
    return drive == QLatin1String("/") || isInside(folder, drive);
}

} // namespace

QStringList availableDrives()
{
    QStringList drives;
    std::ifstream in(QFile::encodeName(mountTable()).toStdString());
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string device, point, type;
        if (!(fields >> device >> point >> type))
            continue;
        const QString path = QDir::cleanPath(unescaped(point));
        if (path == QLatin1String("/") || !path.startsWith(QLatin1Char('/')))
            continue;
        if (isPseudoType(QString::fromStdString(type)) || isSystemPlace(path))
            continue;
        // Bind mounts of single files (as containers do for /etc/hosts) are no drives.
        if (!QFileInfo(path).isDir() || drives.contains(path))
            continue;
        drives << path;
    }
    drives.sort();
    drives.prepend(QStringLiteral("/"));
    return drives;
}

QString driveOf(const QString& folder)
{
    const QString path = QDir::cleanPath(QDir::isAbsolutePath(folder) ? folder : QDir::current().absoluteFilePath(folder));
    QString best = QStringLiteral("/");
    for (const QString& drive : availableDrives()) {
        if (contains(drive, path) && drive.size() > best.size())
            best = drive;
    }
    return best;
}

QString currentFolderOfDrive(const QString& drive)
{
    return currentFolders().value(drive, drive);
}

void rememberFolder(const QString& folder)
{
    currentFolders().insert(driveOf(folder), folder);
}

void setMountTable(const QString& path)
{
    mountTable() = path.isEmpty() ? defaultMountTable : path;
}

} // namespace platform
