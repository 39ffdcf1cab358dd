#pragma once

#include <string>

namespace core {

// The file name part of a path: everything after its last "/" (the whole path
// when it has none).
std::string extractFileName(const std::string& path);

// A folder as the folder lists report it (no trailing "/" except the root "/")
// joined with a name by one "/": a name in the root gives "//name".
std::string joinPath(const std::string& folder, const std::string& name);

// The folder part of a path: everything before its last "/"; "/" when that is
// empty, "." when the path has no "/".
std::string folderOf(const std::string& path);

// True when writing sourcePath's file name into destinationFolder could touch the
// source: the target path equals the source path as text, or the destination and
// the source's folder are the same directory reached another way (a link, "..",
// a second mount, another letter case), or the target names the source file itself.
bool isSameFolder(const std::string& sourcePath, const std::string& destinationFolder);

} // namespace core
