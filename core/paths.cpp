#include "core/paths.h"

#include <sys/stat.h>

namespace core {

namespace {

bool sameFile(const std::string& a, const std::string& b)
{
    struct stat first {}, second {};
    return ::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

} // namespace

std::string extractFileName(const std::string& path)
{
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joinPath(const std::string& folder, const std::string& name) { return folder + "/" + name; }

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

bool isSameFolder(const std::string& sourcePath, const std::string& destinationFolder)
{
    const std::string target = joinPath(destinationFolder, extractFileName(sourcePath));
    if (target == sourcePath)
        return true;
    return sameFile(destinationFolder, folderOf(sourcePath)) || sameFile(target, sourcePath);
}

} // namespace core
