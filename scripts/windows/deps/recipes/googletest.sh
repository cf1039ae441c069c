# googletest with gmock, static (the usual way for gtest on Windows); GTestConfig.cmake.
SRC_PKG=googletest

build() {
  unpack_source googletest
  cmake_build "$S" -DBUILD_GMOCK=ON -DINSTALL_GTEST=ON
}
