# id3lib, static, without iconv (the program only removes picture frames; id3lib converts
# text encodings itself when iconv is absent).
SRC_PKG=id3lib3.8.3

build() {
  unpack_source id3lib3.8.3
  # As Debian's rules do: regenerate the autotools files of 2003.
  (cd "$S" && libtoolize -fc && aclocal && autoconf && automake --add-missing --copy) >/dev/null
  autotools_build --disable-debug ac_cv_header_iconv_h=no
}
