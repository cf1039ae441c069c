# freexl, static, over the iconv shim.
SRC_PKG=freexl

build() {
  unpack_source freexl
  autotools_build
  # Its .pc file leaves out the iconv it was linked against.
  sed -i '/^Libs:/s/$/ -liconv/' "$PREFIX/lib/pkgconfig/freexl.pc"
}
