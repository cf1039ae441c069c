# libxlsxwriter, static, with its bundled minizip (Windows I/O) and the prefix's zlib.
SRC_PKG=libxlsxwriter

build() {
  unpack_source libxlsxwriter
  cmake_build "$S" -DUSE_SYSTEM_MINIZIP=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF
  # Its CMake puts the ABI number where the version belongs.
  local v
  v=$(sed -n 's/^#define LXW_VERSION "\(.*\)"/\1/p' "$S/include/xlsxwriter.h")
  sed -i "s/^Version:.*/Version: $v/" "$PREFIX/lib/pkgconfig/xlsxwriter.pc"
}
