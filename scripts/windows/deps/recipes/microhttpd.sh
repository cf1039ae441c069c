# libmicrohttpd, static, HTTP only (no HTTPS: no GnuTLS for MinGW here). Threads are left to
# "auto", which takes Win32 threads on Windows; forcing "w32" skips the test that finds them.
SRC_PKG=libmicrohttpd

build() {
  unpack_source libmicrohttpd
  autotools_build --disable-https --without-gnutls --disable-doc \
    --disable-examples --disable-curl --disable-tools
  pc_fold_private "$PREFIX/lib/pkgconfig/libmicrohttpd.pc"
}
