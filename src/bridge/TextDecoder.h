#pragma once

#include <string>
#include <string_view>

// Turns the bytes of an import text file into UTF-8: a UTF-16 byte-order mark selects UTF-16;
// a UTF-8 one, or text that is well-formed UTF-8, selects UTF-8. Otherwise the evidence
// decides: uchardet's verdict when it gives UTF-8 or a GB encoding, else UTF-8 when well-formed
// multi-byte sequences far outnumber the bytes that are none (so one stray byte in a remark
// does not turn a whole list into GB18030 mojibake). Anything else is read as GB18030, the
// superset of the GBK files Chinese editors write. Bytes that are no character of the chosen
// encoding become U+FFFD, and are counted.
class TextDecoder {
  public:
    enum class Source { Utf8, Utf16LE, Utf16BE, Gb18030 };

    struct Decoded {
        std::string text;
        Source source = Source::Utf8;
        size_t replaced = 0;  // bytes (or UTF-16 units) that became U+FFFD
    };

    // Throws std::bad_alloc when memory runs out and std::runtime_error when iconv is missing.
    static Decoded Decode(std::string bytes);

    static bool IsValidUtf8(std::string_view text);
    // Replaces every malformed byte with U+FFFD, so the text can go into XML safely; adds the
    // number of replacements to *replaced when given.
    static std::string SanitizeUtf8(std::string_view text, size_t* replaced = nullptr);

  private:
    // Well-formed and malformed non-ASCII sequences of text (a malformed one is one byte).
    static void CountSequences(std::string_view text, size_t& valid, size_t& invalid);
    // unit: the size of one code unit of the source encoding, skipped over a bad character.
    static std::string Convert(std::string_view bytes, const char* from, size_t unit,
                               size_t& replaced);
};
