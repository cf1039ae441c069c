# uchardet, static, library only.
SRC_PKG=uchardet

build() {
  unpack_source uchardet
  cmake_build "$S" -DBUILD_BINARY=OFF -DBUILD_STATIC=ON
  pc_fold_private "$PREFIX/lib/pkgconfig/uchardet.pc"
}
