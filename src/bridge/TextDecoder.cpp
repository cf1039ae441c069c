#include "TextDecoder.h"

#include <iconv.h>
#include <uchardet.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the well-formed UTF-8 sequence at the start of text, or 0 when it is malformed
// (overlong forms, surrogates and code points above U+10FFFF count as malformed).
size_t SequenceLength(std::string_view text) {
    const auto b0 = static_cast<unsigned char>(text[0]);
    if (b0 < 0x80) return 1;
    size_t length = 0;
    unsigned char lo = 0x80, hi = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0) lo = 0xA0;
        if (b0 == 0xED) hi = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0) lo = 0x90;
        if (b0 == 0xF4) hi = 0x8F;
    } else {
        return 0;
    }
    if (text.size() < length) return 0;
    const auto b1 = static_cast<unsigned char>(text[1]);
    if (b1 < lo || b1 > hi) return 0;
    for (size_t i = 2; i < length; ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80 || b > 0xBF) return 0;
    }
    return length;
}

class IconvHandle {
  public:
    IconvHandle(const char* to, const char* from) : handle_(iconv_open(to, from)) {
        if (handle_ == reinterpret_cast<iconv_t>(-1))
            throw std::runtime_error("no converter for the text encoding");
    }
    ~IconvHandle() { iconv_close(handle_); }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    iconv_t get() const { return handle_; }

  private:
    iconv_t handle_;
};

}  // namespace

namespace {

// What the well-kept detector makes of a file: its statistics tell a short UTF-8 list with a
// stray byte from a short GBK one, where counting sequences alone has little to go on.
enum class Guess { Utf8, Gb, Undecided };

Guess DetectorGuess(std::string_view bytes) {
    // The start of a file tells its encoding; a million bytes are plenty.
    constexpr size_t kSample = 1 << 20;
    uchardet_t detector = uchardet_new();
    if (!detector) return Guess::Undecided;
    Guess guess = Guess::Undecided;
    if (uchardet_handle_data(detector, bytes.data(), std::min(bytes.size(), kSample)) == 0) {
        uchardet_data_end(detector);
        const std::string_view charset = uchardet_get_charset(detector);
        if (charset == "UTF-8")
            guess = Guess::Utf8;
        else if (charset.starts_with("GB"))  // GB18030, GB2312, GBK
            guess = Guess::Gb;
    }
    uchardet_delete(detector);
    return guess;
}

// Where the detector has no answer (plain ASCII at the start, a guess of some other code page):
// UTF-8 when its well-formed multi-byte sequences far outnumber the bytes that are none. GBK
// text read as UTF-8 yields hardly any well-formed sequence.
bool EvidenceOfUtf8(size_t valid, size_t invalid) {
    return valid >= 4 * invalid;
}

}  // namespace

TextDecoder::Decoded TextDecoder::Decode(std::string bytes) {
    Decoded out;
    if (bytes.starts_with("\xFF\xFE")) {
        out.source = Source::Utf16LE;
        out.text = Convert(std::string_view(bytes).substr(2), "UTF-16LE", 2, out.replaced);
        return out;
    }
    if (bytes.starts_with("\xFE\xFF")) {
        out.source = Source::Utf16BE;
        out.text = Convert(std::string_view(bytes).substr(2), "UTF-16BE", 2, out.replaced);
        return out;
    }
    const bool bom = bytes.starts_with(kUtf8Bom);
    if (bom) bytes.erase(0, kUtf8Bom.size());
    // One pass tells whether any byte needs replacing, and the evidence when the detector is
    // undecided.
    size_t valid = 0, invalid = 0;
    CountSequences(bytes, valid, invalid);
    bool utf8 = bom || invalid == 0;
    if (!utf8) {
        const Guess guess = DetectorGuess(bytes);
        utf8 =
            guess == Guess::Utf8 || (guess == Guess::Undecided && EvidenceOfUtf8(valid, invalid));
    }
    if (!utf8) {
        out.source = Source::Gb18030;
        out.text = Convert(bytes, "GB18030", 1, out.replaced);
        return out;
    }
    out.source = Source::Utf8;
    if (invalid == 0)
        out.text = std::move(bytes);
    else
        out.text = SanitizeUtf8(bytes, &out.replaced);
    return out;
}

void TextDecoder::CountSequences(std::string_view text, size_t& valid, size_t& invalid) {
    size_t i = 0;
    while (i < text.size()) {
        // Runs of ASCII are the common case: skip them eight bytes at a time.
        while (i + 8 <= text.size()) {
            uint64_t word;
            std::memcpy(&word, text.data() + i, sizeof word);
            if (word & 0x8080808080808080ull) break;
            i += 8;
        }
        if (i >= text.size()) break;
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t length = SequenceLength(text.substr(i));
        if (length == 0) {
            ++invalid;
            ++i;
        } else {
            ++valid;
            i += length;
        }
    }
}

bool TextDecoder::IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        while (i + 8 <= text.size()) {
            uint64_t word;
            std::memcpy(&word, text.data() + i, sizeof word);
            if (word & 0x8080808080808080ull) break;
            i += 8;
        }
        if (i >= text.size()) break;
        const size_t length = SequenceLength(text.substr(i));
        if (length == 0) return false;
        i += length;
    }
    return true;
}

std::string TextDecoder::SanitizeUtf8(std::string_view text, size_t* replaced) {
    std::string out;
    out.reserve(text.size());
    size_t run = 0;  // start of the well-formed run not yet copied
    size_t i = 0;
    while (i < text.size()) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
            continue;
        }
        const size_t length = SequenceLength(text.substr(i));
        if (length > 0) {
            i += length;
            continue;
        }
        out.append(text.substr(run, i - run));
        out += kReplacement;
        if (replaced) ++*replaced;
        run = ++i;
    }
    out.append(text.substr(run));
    return out;
}

std::string TextDecoder::Convert(std::string_view bytes, const char* from, size_t unit,
                                 size_t& replaced) {
    IconvHandle converter("UTF-8", from);
    std::string out;
    out.resize(bytes.size() * 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    size_t used = 0;
    while (inLeft > 0) {
        char* dst = out.data() + used;
        size_t dstLeft = out.size() - used;
        const size_t rc = iconv(converter.get(), &in, &inLeft, &dst, &dstLeft);
        used = out.size() - dstLeft;
        if (rc != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
        } else {
            // A byte that is no character (EILSEQ) or a cut-off last character (EINVAL):
            // show a replacement character and carry on with the next byte.
            if (out.size() - used < kReplacement.size()) out.resize(out.size() * 2);
            out.replace(used, kReplacement.size(), kReplacement);
            used += kReplacement.size();
            ++replaced;
            const size_t skip = inLeft >= unit ? unit : inLeft;
            in += skip;
            inLeft -= skip;
            iconv(converter.get(), nullptr, nullptr, nullptr, nullptr);
        }
    }
    out.resize(used);
    return out;
}
