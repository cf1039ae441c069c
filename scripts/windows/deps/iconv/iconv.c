/* iconv over MultiByteToWideChar/WideCharToMultiByte; why it exists is said in iconv.h.
 *
 * Names (case-insensitive): UTF-8, UTF-16LE, UTF-16BE, WCHAR_T (UTF-16LE), ASCII, CPnnn,
 * WINDOWS-nnn, IBMnnn, GB18030 (54936), GBK/GB2312/EUC-CN/CP936, BIG5, SHIFT_JIS/SJIS,
 * EUC-KR/UHC, JOHAB, KOI8-R, KOI8-U, ISO-8859-n, LATIN1, MACROMAN/MACINTOSH, TIS-620,
 * "" and CHAR (the ANSI code page).
 *
 * It works one character at a time so that E2BIG, EILSEQ and EINVAL stop exactly before the
 * character at fault, as POSIX asks; the Win32 calls alone cannot tell where they stopped.
 * //IGNORE drops characters the target cannot hold; invalid input is always EILSEQ.
 *
 * GB18030 is code page 54936 where Windows has it. Wine 8 has not: there it is GBK (936) for
 * the two-byte forms, € as A2E3, and the four-byte forms of U+10000.. (pure arithmetic); the
 * four-byte forms of the BMP (a table we do not carry) are EILSEQ. Wine lacks CP858 too, which
 * is CP850 with the euro sign at D5.
 */
#include "iconv.h"
#include "localcharset.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

enum {
    ENC_UTF8 = -1,
    ENC_UTF16LE = -2,
    ENC_UTF16BE = -3,
    ENC_ASCII = -4,
    ENC_GB18030 = -5,
    ENC_CP858 = -6
};

struct conv {
    int from, to;             /* an ENC_ value or a Windows code page */
    int from_max, to_max;     /* MaxCharSize of a code page */
    int ignore, translit;
};

static const struct {
    const char *name;
    int enc;
} known[] = {
    {"UTF-8", ENC_UTF8},       {"UTF8", ENC_UTF8},         {"UTF-16LE", ENC_UTF16LE},
    {"UTF16LE", ENC_UTF16LE},  {"UCS-2LE", ENC_UTF16LE},   {"WCHAR_T", ENC_UTF16LE},
    {"UTF-16BE", ENC_UTF16BE}, {"UTF16BE", ENC_UTF16BE},   {"UCS-2BE", ENC_UTF16BE},
    {"ASCII", ENC_ASCII},      {"US-ASCII", ENC_ASCII},    {"ANSI_X3.4-1968", ENC_ASCII},
    {"GB18030", 54936},        {"GBK", 936},               {"GB2312", 936},
    {"EUC-CN", 936},           {"BIG5", 950},              {"BIG-5", 950},
    {"SHIFT_JIS", 932},        {"SHIFT-JIS", 932},         {"SJIS", 932},
    {"EUC-KR", 949},           {"UHC", 949},               {"JOHAB", 1361},
    {"KOI8-R", 20866},         {"KOI8-U", 21866},          {"LATIN1", 28591},
    {"MACROMAN", 10000},       {"MACINTOSH", 10000},       {"MAC", 10000},
    {"TIS-620", 874},
};

/* A code page from "CP1252", "WINDOWS-1252", "IBM437" or "ISO-8859-15"; 0 if none. */
static int numbered(const char *s)
{
    static const struct {
        const char *prefix;
        int base;
    } forms[] = {{"CP", 0}, {"WINDOWS-", 0}, {"IBM", 0}, {"ISO-8859-", 28590},
                 {"ISO8859-", 28590}, {"ISO_8859-", 28590}};
    for (size_t i = 0; i < sizeof forms / sizeof forms[0]; i++) {
        size_t n = strlen(forms[i].prefix);
        if (_strnicmp(s, forms[i].prefix, n) != 0 || s[n] < '0' || s[n] > '9')
            continue;
        char *end;
        long v = strtol(s + n, &end, 10);
        if (*end != '\0' || v <= 0 || v > 65535)
            return 0;
        if (forms[i].base == 0)
            return (int)v;
        /* ISO-8859-n is code page 28590+n; the parts Windows lacks fail IsValidCodePage. */
        return v >= 1 && v <= 16 ? forms[i].base + (int)v : 0;
    }
    return 0;
}

/* Parses a name with optional //SUFFIXES; 0 if unknown. */
static int lookup(const char *name, int *ignore, int *translit)
{
    char base[64];
    const char *slash = strstr(name, "//");
    size_t len = slash ? (size_t)(slash - name) : strlen(name);
    if (len >= sizeof base)
        return 0;
    memcpy(base, name, len);
    base[len] = '\0';
    for (const char *s = slash; s && *s;) {
        s += 2;
        if (_strnicmp(s, "IGNORE", 6) == 0)
            *ignore = 1;
        else if (_strnicmp(s, "TRANSLIT", 8) == 0)
            *translit = 1;
        s = strstr(s, "//");
    }
    if (base[0] == '\0' || _stricmp(base, "CHAR") == 0)
        return (int)GetACP();
    for (size_t i = 0; i < sizeof known / sizeof known[0]; i++)
        if (_stricmp(base, known[i].name) == 0)
            return known[i].enc;
    return numbered(base);
}

static int max_char_size(int enc)
{
    CPINFO info;
    if (enc < 0)
        return 4;
    if (!IsValidCodePage((UINT)enc) || !GetCPInfo((UINT)enc, &info))
        return 0;
    return (int)info.MaxCharSize;
}

/* Index of a four-byte GB18030 sequence b1 b2 b3 b4 counted from 81 30 81 30. */
static unsigned gb4_linear(const unsigned char *p)
{
    return (((p[0] - 0x81u) * 10 + (p[1] - 0x30u)) * 126 + (p[2] - 0x81u)) * 10 + (p[3] - 0x30u);
}

#define GB4_SUPPLEMENTARY 189000u /* gb4_linear(90 30 81 30), which is U+10000 */

static int with_fallback(int enc)
{
    if (enc == 54936 && !IsValidCodePage(54936))
        return ENC_GB18030;
    if (enc == 858 && !IsValidCodePage(858))
        return ENC_CP858;
    return enc;
}

iconv_t iconv_open(const char *tocode, const char *fromcode)
{
    int ignore = 0, translit = 0, unused = 0;
    int to = with_fallback(lookup(tocode, &ignore, &translit));
    int from = with_fallback(lookup(fromcode, &unused, &unused));
    int to_max = to ? max_char_size(to) : 0;
    int from_max = from ? max_char_size(from) : 0;
    if (!to_max || !from_max) {
        errno = EINVAL;
        return (iconv_t)-1;
    }
    struct conv *c = malloc(sizeof *c);
    if (!c) {
        errno = ENOMEM;
        return (iconv_t)-1;
    }
    c->from = from;
    c->to = to;
    c->from_max = from_max;
    c->to_max = to_max;
    c->ignore = ignore;
    c->translit = translit;
    return c;
}

int iconv_close(iconv_t cd)
{
    if (cd == (iconv_t)-1 || cd == NULL) {
        errno = EBADF;
        return -1;
    }
    free(cd);
    return 0;
}

/* Reads one character: 0 with *cp and *used set, or an errno value. */
static int decode(const struct conv *c, const unsigned char *p, size_t n, unsigned *cp,
                  size_t *used)
{
    switch (c->from) {
    case ENC_ASCII:
        if (p[0] > 0x7F)
            return EILSEQ;
        *cp = p[0];
        *used = 1;
        return 0;
    case ENC_UTF8: {
        unsigned b = p[0], v;
        size_t len;
        if (b < 0x80) {
            *cp = b;
            *used = 1;
            return 0;
        } else if (b >= 0xC2 && b <= 0xDF) {
            len = 2, v = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3, v = b & 0x0F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4, v = b & 0x07;
        } else {
            return EILSEQ;
        }
        for (size_t i = 1; i < len; i++) {
            if (i >= n)
                return EINVAL;
            if ((p[i] & 0xC0) != 0x80)
                return EILSEQ;
            v = (v << 6) | (p[i] & 0x3F);
            /* Overlong 3- and 4-byte forms, surrogates and values past U+10FFFF show in
             * the first two bytes already. */
            if (i == 1 && ((len == 3 && v < 0x20) || (len == 3 && v >= 0x360 && v < 0x380) ||
                           (len == 4 && (v < 0x10 || v > 0x10F))))
                return EILSEQ;
        }
        *cp = v;
        *used = len;
        return 0;
    }
    case ENC_UTF16LE:
    case ENC_UTF16BE: {
        int le = c->from == ENC_UTF16LE;
        if (n < 2)
            return EINVAL;
        unsigned u = le ? p[0] | p[1] << 8 : p[0] << 8 | p[1];
        if (u >= 0xDC00 && u <= 0xDFFF)
            return EILSEQ;
        if (u < 0xD800 || u > 0xDBFF) {
            *cp = u;
            *used = 2;
            return 0;
        }
        if (n < 4)
            return EINVAL;
        unsigned l = le ? p[2] | p[3] << 8 : p[2] << 8 | p[3];
        if (l < 0xDC00 || l > 0xDFFF)
            return EILSEQ;
        *cp = 0x10000 + ((u - 0xD800) << 10) + (l - 0xDC00);
        *used = 4;
        return 0;
    }
    case ENC_GB18030: {
        if (p[0] < 0x80) {
            *cp = p[0];
            *used = 1;
            return 0;
        }
        if (p[0] == 0x80 || p[0] == 0xFF)
            return EILSEQ;
        if (n < 2)
            return EINVAL;
        if (p[1] >= 0x30 && p[1] <= 0x39) {
            if (n < 4)
                return n == 3 && (p[2] < 0x81 || p[2] == 0xFF) ? EILSEQ : EINVAL;
            if (p[2] < 0x81 || p[2] == 0xFF || p[3] < 0x30 || p[3] > 0x39)
                return EILSEQ;
            unsigned linear = gb4_linear(p);
            if (linear < GB4_SUPPLEMENTARY || linear - GB4_SUPPLEMENTARY > 0xFFFFFu)
                return EILSEQ;
            *cp = 0x10000 + (linear - GB4_SUPPLEMENTARY);
            *used = 4;
            return 0;
        }
        if (p[0] == 0xA2 && p[1] == 0xE3) {
            *cp = 0x20AC;
            *used = 2;
            return 0;
        }
        WCHAR w;
        if (MultiByteToWideChar(936, MB_ERR_INVALID_CHARS, (LPCCH)p, 2, &w, 1) != 1 ||
            (w >= 0xD800 && w <= 0xDFFF))
            return EILSEQ;
        *cp = w;
        *used = 2;
        return 0;
    }
    case ENC_CP858: {
        WCHAR w;
        if (p[0] == 0xD5)
            w = 0x20AC;
        else if (MultiByteToWideChar(850, MB_ERR_INVALID_CHARS, (LPCCH)p, 1, &w, 1) != 1)
            return EILSEQ;
        *cp = w;
        *used = 1;
        return 0;
    }
    default: {
        size_t len = 1;
        if (c->from == 54936) {
            /* GB18030: one byte below 0x80, else a lead byte and a second byte that is a
             * digit for the four-byte form. */
            if (p[0] >= 0x80) {
                if (p[0] == 0x80 || p[0] == 0xFF)
                    return EILSEQ;
                if (n < 2)
                    return EINVAL;
                len = p[1] >= 0x30 && p[1] <= 0x39 ? 4 : 2;
            }
        } else if (c->from_max > 1 && IsDBCSLeadByteEx((UINT)c->from, p[0])) {
            len = 2;
        }
        if (len > n)
            return EINVAL;
        WCHAR w[4];
        int got = MultiByteToWideChar((UINT)c->from, MB_ERR_INVALID_CHARS, (LPCCH)p, (int)len,
                                      w, 4);
        if (got == 1 && (w[0] < 0xD800 || w[0] > 0xDFFF)) {
            *cp = w[0];
        } else if (got == 2 && w[0] >= 0xD800 && w[0] <= 0xDBFF && w[1] >= 0xDC00 &&
                   w[1] <= 0xDFFF) {
            *cp = 0x10000 + ((w[0] - 0xD800u) << 10) + (w[1] - 0xDC00u);
        } else {
            return EILSEQ;
        }
        *used = len;
        return 0;
    }
    }
}

/* Writes one character into out (room for 8 bytes): 0 with *n set, or an errno value.
 * *lossy is set when a substitute was written (//TRANSLIT). */
static int encode(const struct conv *c, unsigned cp, char *out, size_t *n, int *lossy)
{
    switch (c->to) {
    case ENC_ASCII:
        if (cp > 0x7F) {
            if (!c->translit)
                return EILSEQ;
            cp = '?';
            *lossy = 1;
        }
        out[0] = (char)cp;
        *n = 1;
        return 0;
    case ENC_UTF8:
        if (cp < 0x80) {
            out[0] = (char)cp;
            *n = 1;
        } else if (cp < 0x800) {
            out[0] = (char)(0xC0 | cp >> 6);
            out[1] = (char)(0x80 | (cp & 0x3F));
            *n = 2;
        } else if (cp < 0x10000) {
            out[0] = (char)(0xE0 | cp >> 12);
            out[1] = (char)(0x80 | (cp >> 6 & 0x3F));
            out[2] = (char)(0x80 | (cp & 0x3F));
            *n = 3;
        } else {
            out[0] = (char)(0xF0 | cp >> 18);
            out[1] = (char)(0x80 | (cp >> 12 & 0x3F));
            out[2] = (char)(0x80 | (cp >> 6 & 0x3F));
            out[3] = (char)(0x80 | (cp & 0x3F));
            *n = 4;
        }
        return 0;
    case ENC_UTF16LE:
    case ENC_UTF16BE: {
        unsigned units[2];
        size_t k = 0;
        if (cp < 0x10000) {
            units[k++] = cp;
        } else {
            units[k++] = 0xD800 + ((cp - 0x10000) >> 10);
            units[k++] = 0xDC00 + ((cp - 0x10000) & 0x3FF);
        }
        for (size_t i = 0; i < k; i++) {
            char hi = (char)(units[i] >> 8), lo = (char)(units[i] & 0xFF);
            out[2 * i] = c->to == ENC_UTF16LE ? lo : hi;
            out[2 * i + 1] = c->to == ENC_UTF16LE ? hi : lo;
        }
        *n = 2 * k;
        return 0;
    }
    case ENC_GB18030:
        if (cp < 0x80) {
            out[0] = (char)cp;
            *n = 1;
            return 0;
        }
        if (cp >= 0x10000) {
            unsigned linear = cp - 0x10000 + GB4_SUPPLEMENTARY;
            out[3] = (char)(0x30 + linear % 10);
            linear /= 10;
            out[2] = (char)(0x81 + linear % 126);
            linear /= 126;
            out[1] = (char)(0x30 + linear % 10);
            out[0] = (char)(0x81 + linear / 10);
            *n = 4;
            return 0;
        }
        if (cp == 0x20AC) {
            out[0] = (char)0xA2;
            out[1] = (char)0xE3;
            *n = 2;
            return 0;
        } else {
            WCHAR w = (WCHAR)cp;
            BOOL used_default = FALSE;
            int got = WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, &w, 1, out, 8, NULL,
                                          &used_default);
            if (got == 2 && !used_default) {
                *n = 2;
                return 0;
            }
            if (!c->translit)
                return EILSEQ;
            out[0] = '?';
            *n = 1;
            *lossy = 1;
            return 0;
        }
    case ENC_CP858:
        if (cp == 0x20AC) {
            out[0] = (char)0xD5;
            *n = 1;
            return 0;
        }
        if (cp == 0x0131) { /* CP850's D5, which CP858 gave to the euro */
            if (!c->translit)
                return EILSEQ;
            out[0] = '?';
            *n = 1;
            *lossy = 1;
            return 0;
        }
        {
            struct conv as850 = *c;
            as850.to = 850;
            return encode(&as850, cp, out, n, lossy);
        }
    default: {
        WCHAR w[2];
        int k = 0;
        if (cp < 0x10000) {
            w[k++] = (WCHAR)cp;
        } else {
            w[k++] = (WCHAR)(0xD800 + ((cp - 0x10000) >> 10));
            w[k++] = (WCHAR)(0xDC00 + ((cp - 0x10000) & 0x3FF));
        }
        BOOL used_default = FALSE;
        int got;
        if (c->to == 54936) {
            /* GB18030 holds every code point; this code page takes no default-char flag. */
            got = WideCharToMultiByte(54936, 0, w, k, out, 8, NULL, NULL);
        } else {
            got = WideCharToMultiByte((UINT)c->to, c->translit ? 0 : WC_NO_BEST_FIT_CHARS, w,
                                      k, out, 8, NULL, &used_default);
        }
        if (got <= 0)
            return EILSEQ;
        if (used_default) {
            if (!c->translit)
                return EILSEQ;
            *lossy = 1;
        }
        *n = (size_t)got;
        return 0;
    }
    }
}

size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf,
             size_t *outbytesleft)
{
    const struct conv *c = cd;
    if (cd == (iconv_t)-1 || cd == NULL) {
        errno = EBADF;
        return (size_t)-1;
    }
    /* Stateless: there is no shift state to reset or flush. */
    if (inbuf == NULL || *inbuf == NULL)
        return 0;
    size_t irreversible = 0;
    while (*inbytesleft > 0) {
        unsigned cp;
        size_t used, n = 0;
        int lossy = 0;
        int err = decode(c, (const unsigned char *)*inbuf, *inbytesleft, &cp, &used);
        if (err) {
            errno = err;
            return (size_t)-1;
        }
        char tmp[8];
        err = encode(c, cp, tmp, &n, &lossy);
        if (err == EILSEQ && c->ignore) {
            n = 0;
            lossy = 1;
        } else if (err) {
            errno = err;
            return (size_t)-1;
        }
        if (n > *outbytesleft) {
            errno = E2BIG;
            return (size_t)-1;
        }
        memcpy(*outbuf, tmp, n);
        *outbuf += n;
        *outbytesleft -= n;
        *inbuf += used;
        *inbytesleft -= used;
        irreversible += (size_t)lossy;
    }
    return irreversible;
}

const char *locale_charset(void)
{
    static char name[16];
    UINT acp = GetACP();
    if (acp == CP_UTF8)
        return "UTF-8";
    snprintf(name, sizeof name, "CP%u", acp);
    return name;
}
