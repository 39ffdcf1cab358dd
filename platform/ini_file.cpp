#include "platform/ini_file.h"

#include "core/size_rules.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Longest value text a read returns, in characters (UTF-8 sequences).
constexpr std::size_t maxValueChars = 2047;

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string trimmed(const std::string& s)
{
    std::size_t begin = 0;
    std::size_t end = s.size();
    while (begin < end && isBlank(s[begin]))
        ++begin;
    while (end > begin && isBlank(s[end - 1]))
        --end;
    return s.substr(begin, end - begin);
}

std::string cutToMaxChars(const std::string& s)
{
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        // A byte that is not a continuation byte starts a character.
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) {
            if (chars == maxValueChars)
                return s.substr(0, i);
            ++chars;
        }
    }
    return s;
}

bool sameName(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x < 0x80)
            x = static_cast<unsigned char>(std::tolower(x));
        if (y < 0x80)
            y = static_cast<unsigned char>(std::tolower(y));
        if (x != y)
            return false;
    }
    return true;
}

// The file as lines without their line ends; the first line without a byte order mark.
struct IniText {
    std::vector<std::string> lines;
    std::string bom;
    bool crlf = false;
};

enum class LoadResult { Loaded, Missing, Unreadable };

LoadResult load(const std::string& path, IniText& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0 ? LoadResult::Unreadable : LoadResult::Missing;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    if (in.bad())
        return LoadResult::Unreadable;
    std::string all = buffer.str();
    if (all.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        text.bom = all.substr(0, 3);
        all.erase(0, 3);
    }
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t end = all.find('\n', start);
        if (end == std::string::npos)
            end = all.size();
        std::string line = all.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
            if (text.lines.empty())
                text.crlf = true;
        }
        text.lines.push_back(std::move(line));
        start = end + 1;
    }
    return LoadResult::Loaded;
}

std::optional<std::string> sectionName(const std::string& line)
{
    std::string t = trimmed(line);
    if (t.size() < 2 || t.front() != '[')
        return std::nullopt;
    std::size_t close = t.find(']');
    if (close == std::string::npos)
        return std::nullopt;
    return trimmed(t.substr(1, close - 1));
}

struct KeyLine {
    std::string key;
    std::string value;
};

std::optional<KeyLine> keyLine(const std::string& line)
{
    std::size_t eq = line.find('=');
    if (eq == std::string::npos)
        return std::nullopt;
    std::string key = trimmed(line.substr(0, eq));
    if (key.empty() || key.front() == ';')
        return std::nullopt;
    return KeyLine{key, line.substr(eq + 1)};
}

// Index of the first header line of the section, and the end of its body.
struct SectionRange {
    std::size_t header;
    std::size_t end;
};

std::optional<SectionRange> findSection(const IniText& text, const std::string& section)
{
    for (std::size_t i = 0; i < text.lines.size(); ++i) {
        std::optional<std::string> name = sectionName(text.lines[i]);
        if (!name || !sameName(*name, section))
            continue;
        std::size_t end = i + 1;
        while (end < text.lines.size() && !sectionName(text.lines[end]))
            ++end;
        return SectionRange{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> findKey(const IniText& text, const SectionRange& range, const std::string& key)
{
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        std::optional<KeyLine> k = keyLine(text.lines[i]);
        if (k && sameName(k->key, key))
            return i;
    }
    return std::nullopt;
}

std::optional<std::string> readValue(const std::string& path, const std::string& section, const std::string& key)
{
    IniText text;
    if (load(path, text) != LoadResult::Loaded)
        return std::nullopt;
    std::optional<SectionRange> range = findSection(text, section);
    if (!range)
        return std::nullopt;
    std::optional<std::size_t> index = findKey(text, *range, key);
    if (!index)
        return std::nullopt;
    return cutToMaxChars(trimmed(keyLine(text.lines[*index])->value));
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::optional<std::int32_t> parseHex(const std::string& digits)
{
    if (digits.empty())
        return std::nullopt;
    std::int64_t value = 0;
    for (char c : digits) {
        int d = hexDigit(c);
        if (d < 0)
            return std::nullopt;
        value = value * 16 + d;
        if (value > INT32_MAX)
            return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> parseInteger(const std::string& text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return parseHex(text.substr(2));
    if (!text.empty() && text[0] == '$')
        return parseHex(text.substr(1));
    // Decimal numbers follow the same rule as the size texts of the resize job.
    return core::strToInt(text);
}

[[noreturn]] void fail(const std::string& path, const std::string& what, int error = 0)
{
    std::string message = "cannot write " + path + ": " + what;
    if (error != 0)
        message += std::string(" (") + std::strerror(error) + ")";
    throw IniWriteError(message);
}

// Root passes every permission check, so a missing write bit is what marks a
// file or folder read-only here, as the read-only attribute does elsewhere.
bool writable(const std::string& path, const struct stat& st)
{
    return ::access(path.c_str(), W_OK) == 0 && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

std::string folderOf(const std::string& path)
{
    std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// A link is followed, so that the file it names is replaced and the link stays.
std::string resolved(const std::string& path)
{
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return path;
    std::string result(real);
    std::free(real);
    return result;
}

bool writeAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Writes the new text beside the file and renames it over the file, so that a
// reader sees either the old file or the new one, never a part.
void replaceFile(const std::string& path, const IniText& text, const struct stat* old)
{
    const std::string eol = text.crlf ? "\r\n" : "\n";
    std::string data = text.bom;
    for (const std::string& line : text.lines)
        data += line + eol;

    const std::string folder = folderOf(path);
    const std::string name = path.substr(path.rfind('/') == std::string::npos ? 0 : path.rfind('/') + 1);
    static unsigned counter = 0;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = folder + "/." + name + "." + std::to_string(::getpid()) + "." + std::to_string(++counter) + ".tmp";
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            fail(path, "cannot create a temporary file", errno);
    }
    if (fd < 0)
        fail(path, "cannot create a temporary file", EEXIST);

    int error = 0;
    if (old) {
        (void)!::fchown(fd, old->st_uid, old->st_gid);
        if (::fchmod(fd, old->st_mode & 07777) != 0)
            error = errno;
    }
    if (error == 0 && !writeAll(fd, data))
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        fail(path, "cannot replace the file", error);
    }
}

} // namespace

IniFile::IniFile(std::string path) : path_(std::move(path)) {}

std::int32_t IniFile::readInteger(const std::string& section, const std::string& key, std::int32_t fallback) const
{
    std::optional<std::string> value = readValue(path_, section, key);
    if (!value)
        return fallback;
    return parseInteger(*value).value_or(fallback);
}

std::string IniFile::readString(const std::string& section, const std::string& key, const std::string& fallback) const
{
    return readValue(path_, section, key).value_or(fallback);
}

void IniFile::writeInteger(const std::string& section, const std::string& key, std::int32_t value)
{
    writeString(section, key, std::to_string(value));
}

void IniFile::writeString(const std::string& section, const std::string& key, const std::string& value)
{
    if (path_.empty())
        fail(path_, "no file name");
    const std::string target = resolved(path_);

    struct stat old;
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && !S_ISREG(old.st_mode))
        fail(target, "not a regular file");
    // Checked before anything is written: a rename would replace a read-only file.
    if (exists && !writable(target, old))
        fail(target, "the file is read-only", EACCES);
    const std::string folder = folderOf(target);
    struct stat folderStat;
    if (::stat(folder.c_str(), &folderStat) != 0)
        fail(target, "the folder is missing", errno);
    if (!writable(folder, folderStat))
        fail(target, "the folder is read-only", EACCES);

    IniText text;
    if (exists && load(target, text) != LoadResult::Loaded)
        fail(target, "the file cannot be read", EACCES);

    const std::string entry = key + "=" + value;
    std::optional<SectionRange> range = findSection(text, section);
    if (!range) {
        text.lines.push_back("[" + section + "]");
        text.lines.push_back(entry);
    } else if (std::optional<std::size_t> index = findKey(text, *range, key)) {
        text.lines[*index] = keyLine(text.lines[*index])->key + "=" + value;
    } else {
        // After the section's last non-blank line, so that blank lines before
        // the next section stay where they are.
        std::size_t at = range->end;
        while (at > range->header + 1 && trimmed(text.lines[at - 1]).empty())
            --at;
        text.lines.insert(text.lines.begin() + static_cast<std::ptrdiff_t>(at), entry);
    }
    replaceFile(target, text, exists ? &old : nullptr);
}

} // namespace platform
