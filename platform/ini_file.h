#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace platform {

class IniWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An INI file read and written one value at a time. Section and key names match
// without regard to case; writing a value keeps every other line of the file.
// Each write replaces the file atomically; a write that cannot be made throws
// IniWriteError. Texts are UTF-8. No Qt here.
class IniFile {
public:
    explicit IniFile(std::string path);

    const std::string& path() const { return path_; }

    std::int32_t readInteger(const std::string& section, const std::string& key, std::int32_t fallback) const;
    std::string readString(const std::string& section, const std::string& key, const std::string& fallback) const;

    void writeInteger(const std::string& section, const std::string& key, std::int32_t value);
    void writeString(const std::string& section, const std::string& key, const std::string& value);

private:
    std::string path_;
};

} // namespace platform
