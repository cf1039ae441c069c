# libxml2 as a DLL: the program and its bridge celvex.dll both use it, and the encoding handler
# the program registers (xmlAddEncodingHandler) is global state that must be one copy.
# No iconv: besides its built-in UTF-8/UTF-16/ISO-8859-1/ASCII/HTML it keeps the built-in
# ISO-8859-2..16 tables, and GBK comes from the program's own handler.
SRC_PKG=libxml2

build() {
  unpack_source libxml2
  cmake_build "$S" -DBUILD_SHARED_LIBS=ON \
    -DLIBXML2_WITH_ICONV=OFF -DLIBXML2_WITH_ICU=OFF -DLIBXML2_WITH_ISO8859X=ON \
    -DLIBXML2_WITH_LZMA=OFF -DLIBXML2_WITH_ZLIB=ON -DLIBXML2_WITH_PYTHON=OFF \
    -DLIBXML2_WITH_PROGRAMS=OFF -DLIBXML2_WITH_TESTS=OFF -DLIBXML2_WITH_MODULES=OFF \
    -DLIBXML2_WITH_FTP=OFF -DLIBXML2_WITH_HTTP=OFF
  rm -rf "$PREFIX/share/doc/libxml2" "$PREFIX/share/man"
}
