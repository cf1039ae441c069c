#include "model/Gb2312Codec.h"

#include <libxml/encoding.h>

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

// Converters of the one thread that reads and writes the files; opened once.
iconv_t ToUtf8() {
    static iconv_t cd = iconv_open("UTF-8", "GBK");
    return cd;
}

iconv_t FromUtf8() {
    static iconv_t cd = iconv_open("GBK", "UTF-8");
    return cd;
}

// libxml2's reader of the files: GBK bytes to UTF-8.
int GbkToUtf8(unsigned char* out, int* outlen, const unsigned char* in, int* inlen) {
    if (!in || !inlen || !outlen) {
        if (outlen) *outlen = 0;
        if (inlen) *inlen = 0;
        return 0;
    }
    iconv_t cd = ToUtf8();
    if (cd == kNoConverter) return -2;
    char* src = const_cast<char*>(reinterpret_cast<const char*>(in));
    size_t srcLeft = static_cast<size_t>(*inlen);
    char* dst = reinterpret_cast<char*>(out);
    size_t dstLeft = static_cast<size_t>(*outlen);
    const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    *inlen = static_cast<int>(src - reinterpret_cast<const char*>(in));
    *outlen = static_cast<int>(dst - reinterpret_cast<char*>(out));
    if (r == static_cast<size_t>(-1)) {
        if (errno == EILSEQ) return -2;
        if (errno == E2BIG && *outlen == 0) return -1;
        // EINVAL: a character cut at the end of the block; it comes whole with the next one.
    }
    return *outlen;
}

// The code point of one UTF-8 sequence at p (len bytes left); sets used.
char32_t DecodeUtf8(const unsigned char* p, size_t left, size_t& used) {
    used = 1;
    if (p[0] >= 0xF0 && left >= 4) {
        used = 4;
        return ((p[0] & 0x07u) << 18) | ((p[1] & 0x3Fu) << 12) | ((p[2] & 0x3Fu) << 6) |
               (p[3] & 0x3Fu);
    }
    if (p[0] >= 0xE0 && left >= 3) {
        used = 3;
        return ((p[0] & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
    }
    if (p[0] >= 0xC0 && left >= 2) {
        used = 2;
        return ((p[0] & 0x1Fu) << 6) | (p[1] & 0x3Fu);
    }
    return p[0];
}

void AppendReference(QByteArray& out, char32_t cp) {
    char ref[16];
    const int n = std::snprintf(ref, sizeof ref, "&#%u;", static_cast<unsigned>(cp));
    out.append(ref, n);
}

// The code point of a GBK sequence of one or two bytes; 0 when it does not convert.
char32_t DecodeGbk(const char* bytes, size_t n) {
    iconv_t cd = ToUtf8();
    if (cd == kNoConverter) return 0;
    char utf8[8];
    char* src = const_cast<char*>(bytes);
    size_t srcLeft = n;
    char* dst = utf8;
    size_t dstLeft = sizeof utf8;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0)
        return 0;
    size_t used = 0;
    const size_t len = static_cast<size_t>(dst - utf8);
    return len ? DecodeUtf8(reinterpret_cast<const unsigned char*>(utf8), len, used) : 0;
}

// UTF-8 to GBK in one pass; a character GBK lacks becomes a reference.
bool ToGbk(const QByteArray& utf8, QByteArray& out) {
    iconv_t cd = FromUtf8();
    if (cd == kNoConverter) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    const qsizetype start = out.size();
    out.resize(start + utf8.size() + 64);
    char* src = const_cast<char*>(utf8.constData());
    size_t srcLeft = static_cast<size_t>(utf8.size());
    size_t written = static_cast<size_t>(start);
    while (srcLeft > 0) {
        char* dst = out.data() + written;
        size_t dstLeft = static_cast<size_t>(out.size()) - written;
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        written = static_cast<size_t>(dst - out.data());
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            out.resize(out.size() + static_cast<qsizetype>(srcLeft) + 1024);
        } else if (errno == EILSEQ) {
            size_t used = 0;
            const char32_t cp =
                DecodeUtf8(reinterpret_cast<const unsigned char*>(src), srcLeft, used);
            out.resize(static_cast<qsizetype>(written));
            AppendReference(out, cp);
            written = static_cast<size_t>(out.size());
            out.resize(out.size() + static_cast<qsizetype>(srcLeft) + 64);
            src += used;
            srcLeft -= used;
        } else {
            return false;
        }
    }
    out.resize(static_cast<qsizetype>(written));
    return true;
}

}  // namespace

bool Gb2312Codec::IsGb2312(unsigned char lead, unsigned char trail) {
    if (trail < 0xA1 || trail > 0xFE) return false;
    switch (lead) {
        case 0xA1:
        case 0xA3:
            return true;
        case 0xA2:
            return (trail >= 0xB1 && trail <= 0xE2) || (trail >= 0xE5 && trail <= 0xEE) ||
                   (trail >= 0xF1 && trail <= 0xFC);
        case 0xA4:
            return trail <= 0xF3;
        case 0xA5:
            return trail <= 0xF6;
        case 0xA6:
            return trail <= 0xB8 || (trail >= 0xC1 && trail <= 0xD8);
        case 0xA7:
            return trail <= 0xC1 || (trail >= 0xD1 && trail <= 0xF1);
        case 0xA8:
            return trail <= 0xBA || (trail >= 0xC5 && trail <= 0xE9);
        case 0xA9:
            return trail >= 0xA4 && trail <= 0xEF;
        default:
            break;
    }
    // Rows 16 to 87 hold the 6,763 hanzi; row 55 ends at D7F9.
    if (lead == 0xD7) return trail <= 0xF9;
    return lead >= 0xB0 && lead <= 0xF7;
}

void Gb2312Codec::RegisterWithLibxml() {
    static std::once_flag once;
    std::call_once(once, [] {
        // Output goes through Encode, never through libxml2's writer.
        xmlNewCharEncodingHandler("GB2312", GbkToUtf8, nullptr);
        xmlNewCharEncodingHandler("GBK", GbkToUtf8, nullptr);
    });
}

bool Gb2312Codec::Encode(const QByteArray& utf8, QByteArray& out) {
    const qsizetype start = out.size();
    if (!ToGbk(utf8, out)) return false;
    // GBK holds more than GB2312: find the first character beyond it, if any.
    const auto* bytes = reinterpret_cast<const unsigned char*>(out.constData());
    const qsizetype end = out.size();
    qsizetype i = start;
    while (i < end) {
        if (bytes[i] < 0x80) {
            ++i;
        } else if (i + 1 < end && IsGb2312(bytes[i], bytes[i + 1])) {
            i += 2;
        } else {
            break;
        }
    }
    if (i == end) return true;
    QByteArray tail = out.mid(i);
    out.truncate(i);
    const auto* t = reinterpret_cast<const unsigned char*>(tail.constData());
    const qsizetype n = tail.size();
    for (qsizetype k = 0; k < n;) {
        if (t[k] < 0x80) {
            qsizetype run = k;
            while (run < n && t[run] < 0x80) ++run;
            out.append(tail.constData() + k, run - k);
            k = run;
        } else if (k + 1 < n && IsGb2312(t[k], t[k + 1])) {
            out.append(tail.constData() + k, 2);
            k += 2;
        } else {
            // A GBK lead byte takes a second one; 0x80 and 0xFF stand alone.
            const size_t len = (t[k] >= 0x81 && t[k] <= 0xFE && k + 1 < n) ? 2 : 1;
            const char32_t cp = DecodeGbk(tail.constData() + k, len);
            if (cp == 0) return false;
            AppendReference(out, cp);
            k += qsizetype(len);
        }
    }
    return true;
}
