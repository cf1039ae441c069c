#pragma once

#include <filesystem>
#include <string>

// File names cross the bridge as UTF-8; std::filesystem turns them into the platform's own
// form, so the same code opens Chinese file names on every system.
class FileAccess {
  public:
    static std::filesystem::path FromUtf8(const char* path);
    // Reads the whole file; false when it cannot be opened or read to its end.
    static bool ReadAll(const std::filesystem::path& path, std::string& bytes);
    // Reads up to size bytes from the start; false when the file cannot be opened.
    static bool ReadHead(const std::filesystem::path& path, std::string& bytes, size_t size);
};
