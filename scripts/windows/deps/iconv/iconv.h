/* A small iconv for Windows over the Win32 code-page functions.
 *
 * Hand-written because Debian has no iconv for MinGW-w64 and freexl needs one to turn the
 * code pages of legacy .xls files into UTF-8. It is stateless and converts between UTF-8,
 * UTF-16LE/BE and the Windows code pages; see iconv.c for the names it knows. Errors follow
 * POSIX: (size_t)-1 with errno E2BIG, EILSEQ or EINVAL; iconv_open gives EINVAL for an
 * unknown name. "//IGNORE" and "//TRANSLIT" suffixes on the target are honoured.
 * localcharset.h adds libcharset's locale_charset(), which freexl's configure wants.
 */
#ifndef VANTORIA_ICONV_H
#define VANTORIA_ICONV_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef void *iconv_t;

iconv_t iconv_open(const char *tocode, const char *fromcode);
size_t iconv(iconv_t cd, char **inbuf, size_t *inbytesleft, char **outbuf,
             size_t *outbytesleft);
int iconv_close(iconv_t cd);

#ifdef __cplusplus
}
#endif

#endif
