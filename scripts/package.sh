#!/usr/bin/env bash
# Builds the Debian package dist/vantoria_<version>_<arch>.deb in build-package/ and checks it
# with lintian. Fails when lintian finds an error. JOBS=n limits the parallel build.
set -euo pipefail
cd "$(dirname "$0")/.."
# Also the packaging tools, needed by this script only: dpkg-shlibdeps and dpkg-buildflags
# (dpkg-dev), file (CPack finds the programs to scan with it), lintian, desktop-file-validate.
bash scripts/setup.sh dpkg-dev file lintian desktop-file-utils

# The same commit gives the same dates in the changelog and the manual page.
SOURCE_DATE_EPOCH="$(git log -1 --format=%ct 2>/dev/null || date +%s)"
export SOURCE_DATE_EPOCH

# Debian's hardening flags (fortified functions, stack protector, full RELRO, bind now).
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CFLAGS)"
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"

desktop-file-validate assets/package/vantoria.desktop

cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTORIA_TESTS=OFF \
      -DVANTORIA_BENCH=OFF -DVANTORIA_INSTALLED_LAYOUT=ON -DCMAKE_INSTALL_PREFIX=/usr \
      -DCMAKE_C_FLAGS="$cflags" -DCMAKE_CXX_FLAGS="$cxxflags" \
      -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags"
cmake --build build-package -j "${JOBS:-$(nproc)}"

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)"
deb="vantoria_${version}_$(dpkg --print-architecture).deb"
rm -f "build-package/$deb"
(cd build-package && cpack -G DEB)
mkdir -p dist
mv "build-package/$deb" "dist/$deb"

echo "== dist/$deb"
ls -l "dist/$deb"
dpkg-deb -I "dist/$deb"
echo "== lintian"
status=0
lintian --display-info "dist/$deb" || status=$?
if [ "$status" -eq 0 ]; then
  echo "lintian: no errors"
else
  echo "lintian: errors found (exit status $status)"
fi
exit "$status"
