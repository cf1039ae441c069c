#pragma once

#include <string>
#include <string_view>

// Turns the bytes of an import text file into UTF-8: valid UTF-8 stays as it is (a leading
// byte-order mark is dropped), a UTF-16 byte-order mark selects UTF-16, anything else is read
// as GB18030, the superset of the GBK files Chinese editors write.
class TextDecoder {
  public:
    enum class Source { Utf8, Utf16LE, Utf16BE, Gb18030 };

    static Source Detect(std::string_view bytes);
    // Throws std::bad_alloc when memory runs out and std::runtime_error when iconv is missing.
    static std::string ToUtf8(std::string bytes);

    static bool IsValidUtf8(std::string_view text);
    // Replaces every malformed sequence with U+FFFD, so the text can go into XML safely.
    static std::string SanitizeUtf8(std::string_view text);

  private:
    // unit: the size of one code unit of the source encoding, skipped over a bad character.
    static std::string Convert(std::string_view bytes, const char* from, size_t unit);
};
