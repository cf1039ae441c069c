# zlib is already a MinGW package (libz-mingw-w64-dev). Only its static library is copied,
# so that -lz in the prefix never means zlib1.dll.
VERSION_OF=libz-mingw-w64-dev

build() {
  local m=/usr/$TRIPLET v=${DEP_VERSION[zlib]#* }
  mkdir -p "$PREFIX/include" "$PREFIX/lib/pkgconfig"
  cp "$m/include/zlib.h" "$m/include/zconf.h" "$PREFIX/include/"
  cp "$m/lib/libz.a" "$PREFIX/lib/"
  cat >"$PREFIX/lib/pkgconfig/zlib.pc" <<PC
prefix=$PREFIX
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: zlib
Description: zlib compression library (static, from libz-mingw-w64-dev)
Version: ${v%%+*}
Libs: -L\${libdir} -lz
Cflags: -I\${includedir}
PC
}
