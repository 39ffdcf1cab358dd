#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace core {

enum class ReadFileStatus {
    ok,
    cannotOpen,   // missing, no access, not a regular file
    readError,
    outOfMemory,
};

// Reads the whole file into bytes (replacing what it held).
ReadFileStatus readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes);

enum class WriteFileStatus {
    ok,
    targetNotWritable, // an existing target that we may not write: left as it is
    createFailed,      // no temporary file could be made in the folder
    writeFailed,       // short write, full disk, failed sync or close
    renameFailed,
};

// Replaces (or creates) targetPath, which must lie in folder, with data: the
// bytes go to a new temporary file in that folder first, which is then renamed
// over the target, so the target is either the old file or the whole new one.
// On failure the temporary file is removed. The new file gets 0666 less the umask.
WriteFileStatus replaceFile(const std::string& folder, const std::string& targetPath,
                            const std::vector<std::uint8_t>& data);

} // namespace core
