#include "core/file_io.h"

#include <atomic>
#include <cerrno>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace core {

namespace {

// Closes a descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    // Closes now and tells whether the close reported an error.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, const std::uint8_t* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (written == 0)
            return false;
        data += written;
        size -= std::size_t(written);
    }
    return true;
}

std::string temporaryPath(const std::string& folder)
{
    // Unique within the process; O_EXCL and the retry loop take care of other processes.
    static std::atomic<unsigned long> counter{0};
    return folder + "/.orvane-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".tmp";
}

} // namespace

ReadFileStatus readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return ReadFileStatus::cannotOpen;
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode))
        return ReadFileStatus::cannotOpen;
    try {
        bytes.clear();
        // The size is a hint only: the file may change while it is read.
        bytes.resize(std::size_t(info.st_size) + 1);
        std::size_t used = 0;
        for (;;) {
            if (used == bytes.size())
                bytes.resize(bytes.size() * 2);
            const ssize_t got = ::read(fd.get(), bytes.data() + used, bytes.size() - used);
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                bytes.clear();
                return ReadFileStatus::readError;
            }
            if (got == 0)
                break;
            used += std::size_t(got);
        }
        bytes.resize(used);
        bytes.shrink_to_fit();
    } catch (const std::bad_alloc&) {
        bytes = std::vector<std::uint8_t>();
        return ReadFileStatus::outOfMemory;
    }
    return ReadFileStatus::ok;
}

WriteFileStatus replaceFile(const std::string& folder, const std::string& targetPath,
                            const std::vector<std::uint8_t>& data)
{
    // rename() would replace a read-only file without a question; a file the user
    // protected against writing is refused instead.
    if (::access(targetPath.c_str(), F_OK) == 0 && ::access(targetPath.c_str(), W_OK) != 0)
        return WriteFileStatus::targetNotWritable;

    std::string temporary;
    int raw = -1;
    for (int attempt = 0; attempt < 100 && raw < 0; ++attempt) {
        temporary = temporaryPath(folder);
        // Mode 0666 and no umask() call: the umask is process-wide and other
        // threads may be creating files.
        raw = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (raw < 0 && errno != EEXIST)
            break;
    }
    if (raw < 0)
        return WriteFileStatus::createFailed;

    FileDescriptor fd(raw);
    const bool stored = writeAll(fd.get(), data.data(), data.size()) && ::fsync(fd.get()) == 0;
    const bool closed = fd.close();
    if (!stored || !closed) {
        ::unlink(temporary.c_str());
        return WriteFileStatus::writeFailed;
    }
    if (::rename(temporary.c_str(), targetPath.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return WriteFileStatus::renameFailed;
    }
    // Make the new name itself durable; the data is already safe, so a failure here
    // does not undo the write.
    FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return WriteFileStatus::ok;
}

} // namespace core
