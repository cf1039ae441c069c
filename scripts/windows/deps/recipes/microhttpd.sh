# libmicrohttpd, static, HTTP only (no HTTPS: no GnuTLS for MinGW here). Threads are left to
# "auto", which takes Win32 threads on Windows; forcing "w32" skips the test that finds them.
SRC_PKG=libmicrohttpd

build() {
  unpack_source libmicrohttpd
  autotools_build --disable-https --without-gnutls --disable-doc \
    --disable-examples --disable-curl --disable-tools
  pc_fold_private "$PREFIX/lib/pkgconfig/libmicrohttpd.pc"
  # The library links Winsock, but its .pc file does not say so.
  grep -q -- '-lws2_32' "$PREFIX/lib/pkgconfig/libmicrohttpd.pc" ||
    sed -i '/^Libs:/s/$/ -lws2_32/' "$PREFIX/lib/pkgconfig/libmicrohttpd.pc"
}
