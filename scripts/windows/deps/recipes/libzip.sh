# libzip, static, with zlib and Windows' own crypto (bcrypt) for encrypted archives.
SRC_PKG=libzip

build() {
  unpack_source libzip
  cmake_build "$S" -DENABLE_BZIP2=OFF -DENABLE_LZMA=OFF -DENABLE_ZSTD=OFF \
    -DENABLE_GNUTLS=OFF -DENABLE_OPENSSL=OFF -DENABLE_MBEDTLS=OFF -DENABLE_COMMONCRYPTO=OFF \
    -DENABLE_WINDOWS_CRYPTO=ON -DBUILD_TOOLS=OFF -DBUILD_REGRESS=OFF -DBUILD_EXAMPLES=OFF \
    -DBUILD_DOC=OFF
  # No -DZIP_STATIC needed: the installed zipconf.h defines it for a static build.
  pc_fold_private "$PREFIX/lib/pkgconfig/libzip.pc"
}
