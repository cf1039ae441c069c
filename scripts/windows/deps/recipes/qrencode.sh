# libqrencode, static, library only (no qrencode tool, so no libpng).
SRC_PKG=qrencode

build() {
  unpack_source qrencode
  cmake_build "$S" -DWITH_TOOLS=OFF -DWITH_TESTS=OFF -DWITHOUT_PNG=ON
}
