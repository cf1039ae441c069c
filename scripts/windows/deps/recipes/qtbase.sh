# Qt 6 base modules as DLLs, with the 3rdparty libraries bundled in Debian's tarball (libjpeg,
# libpng, harfbuzz, freetype, pcre2, zlib, md4c, double-conversion).
SRC_PKG=qt6-base

build() {
  unpack_source qt6-base
  # Features: Debian's tarball has no wintab headers (tabletevent); without OpenGL the windows
  # plugin needs dynamicgl off too; pkg-config off so that no host library is ever picked up.
  cmake_build "$S" -DBUILD_SHARED_LIBS=ON \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_tabletevent=OFF -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF \
    -DFEATURE_dbus=OFF -DFEATURE_sql=OFF -DFEATURE_zstd=OFF -DFEATURE_pkg_config=OFF \
    -DFEATURE_printsupport=OFF -DFEATURE_androiddeployqt=OFF \
    -DFEATURE_system_zlib=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
    -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_pcre2=OFF \
    -DFEATURE_system_doubleconversion=OFF -DFEATURE_system_textmarkdownreader=OFF \
    -DFEATURE_freetype=ON -DFEATURE_harfbuzz=ON -DFEATURE_jpeg=ON -DFEATURE_png=ON \
    -DFEATURE_gif=ON -DFEATURE_ico=ON -DFEATURE_regularexpression=ON
}
