# libsodium, static.
SRC_PKG=libsodium

build() {
  unpack_source libsodium
  # As Debian's rules do (dh --with autoreconf): the tarball has no configure script.
  (cd "$S" && autoreconf -fi) >/dev/null
  autotools_build --disable-pie --disable-ssp
  pc_fold_private "$PREFIX/lib/pkgconfig/libsodium.pc"
  # Only MSVC needs it, but it says how the library was built.
  pc_add_cflags "$PREFIX/lib/pkgconfig/libsodium.pc" -DSODIUM_STATIC
}
