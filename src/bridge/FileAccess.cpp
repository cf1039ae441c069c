#include "FileAccess.h"

#include <fstream>

std::filesystem::path FileAccess::FromUtf8(const char* path) {
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(path)));
}

bool FileAccess::ReadAll(const std::filesystem::path& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.clear();
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (!ec) bytes.reserve(static_cast<size_t>(size));
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0)
        bytes.append(buffer, static_cast<size_t>(in.gcount()));
    return in.eof() && !in.bad();
}

bool FileAccess::ReadHead(const std::filesystem::path& path, std::string& bytes, size_t size) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.resize(size);
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return !in.bad();
}
