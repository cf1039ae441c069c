/* libcharset's one function, part of the iconv shim (iconv.h says why it exists). */
#ifndef VANTORIA_LOCALCHARSET_H
#define VANTORIA_LOCALCHARSET_H

#ifdef __cplusplus
extern "C" {
#endif

/* The ANSI code page as an iconv name: "CP936", or "UTF-8" for code page 65001. */
const char *locale_charset(void);

#ifdef __cplusplus
}
#endif

#endif
