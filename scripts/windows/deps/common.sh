# Helpers for cross-building the Windows dependencies; sourced by scripts/windows.sh.
# Every file below scripts/windows/deps/ and cmake/mingw-w64.cmake goes into the cache hash,
# so a change to any recipe, patch or helper here builds a new prefix.

TRIPLET=x86_64-w64-mingw32
JOBS=2
NICE=(nice -n 15)

# The dependencies in build order. A recipe deps/recipes/NAME.sh sets SRC_PKG (a Debian
# source package), VERSION_OF (a Debian binary package whose version stands for it, for the
# parts that are no source build) or LOCAL_VERSION (sources of our own in deps/NAME/), and
# defines build().
DEPS=(zlib iconv translations qtbase libxml2 libzip freexl xlsxwriter libsodium sdl2
      sdl2-mixer id3lib googletest qrencode microhttpd uchardet)

# Binary packages whose version changes what gets built.
TOOL_PKGS=(gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
           libz-mingw-w64-dev qt6-base-dev-tools)

# ccache, when there, in a folder of its own. Paths below the cache folder are hashed relative
# to it, so a new cache (a changed recipe) compiles what did not change from ccache.
CCACHE_LAUNCHER=()
if command -v ccache >/dev/null; then
  export CCACHE_DIR=${VANTORIA_CCACHE_DIR:-$HOME/.cache/vantoria/ccache}
  export CCACHE_NOHASHDIR=1 CCACHE_MAXSIZE=${CCACHE_MAXSIZE:-5G}
  # Qt compiles with precompiled headers; ccache needs these to cache such compilations.
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
  CCACHE_LAUNCHER=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

log() { printf '== %s\n' "$*" >&2; }
# Inside a build (whose output goes to its log) fd 3 is the terminal.
warn() { printf 'warning: %s\n' "$*" | tee /dev/fd/3 >&2 2>/dev/null || true; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

pkg_version() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null; }

# The version `apt-get source` would fetch, read from the .dsc it would download.
src_version() {
  local f
  # Lines are: 'URI' FILE SIZE HASH; the file name is not URL-encoded.
  # From / : in a folder that holds the files already, apt prints no URIs.
  f=$(cd / && apt-get source --print-uris -qq "$1" 2>/dev/null | awk '$2 ~ /\.dsc$/ {print $2; exit}') \
    || true
  [ -n "$f" ] || die "no source package $1 (is the deb-src stanza there?)"
  f=${f%.dsc}
  # Epochs are not part of file names; that is fine for telling versions apart.
  printf '%s\n' "${f#*_}"
}

# Reads a recipe: sets SRC_PKG, VERSION_OF or LOCAL_VERSION, and build().
load_recipe() {
  unset SRC_PKG VERSION_OF LOCAL_VERSION
  unset -f build
  # shellcheck disable=SC1090
  source "$DEPS_DIR/recipes/$1.sh"
}

dep_version() {
  load_recipe "$1"
  if [ -n "${LOCAL_VERSION:-}" ]; then
    printf 'local %s\n' "$LOCAL_VERSION"
  elif [ -n "${SRC_PKG:-}" ]; then
    printf '%s %s\n' "$SRC_PKG" "$(src_version "$SRC_PKG")"
  else
    printf '%s %s\n' "$VERSION_OF" "$(pkg_version "$VERSION_OF")"
  fi
}

# Fills DEP_VERSION[name] and sets CACHE, PREFIX, HASH.
compute_cache() {
  declare -gA DEP_VERSION=()
  local d manifest=""
  for d in "${DEPS[@]}"; do
    DEP_VERSION[$d]=$(dep_version "$d")
    manifest+="$d ${DEP_VERSION[$d]}"$'\n'
  done
  for d in "${TOOL_PKGS[@]}"; do
    manifest+="tool $d $(pkg_version "$d")"$'\n'
  done
  manifest+=$(cd "$ROOT" && find scripts/windows/deps cmake/mingw-w64.cmake -type f -print0 \
                | LC_ALL=C sort -z | xargs -0 sha256sum)
  HASH=$(printf '%s' "$manifest" | sha256sum | cut -c1-12)
  CACHE=${VANTORIA_MINGW_CACHE:-$HOME/.cache/vantoria/mingw-$HASH}
  PREFIX=$CACHE/prefix
  mkdir -p "$CACHE"
  printf '%s\n' "$manifest" >"$CACHE/manifest.txt"
}

# What a dependency's stamp must say: its version, its recipe and patches, these helpers and
# the toolchain file.
dep_stamp() {
  {
    printf '%s\n' "${DEP_VERSION[$1]}"
    (cd "$ROOT" && sha256sum scripts/windows/deps/common.sh cmake/mingw-w64.cmake \
                              "scripts/windows/deps/recipes/$1.sh")
    local d
    for d in "$DEPS_DIR/patches/$1" "$DEPS_DIR/$1"; do
      [ -d "$d" ] || continue
      (cd "$d" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum)
    done
  } | sha256sum | cut -d' ' -f1
}

# Downloads a source package once (shared by all caches) and unpacks it with Debian's patches
# applied into $S, then applies our patches from deps/patches/NAME/*.patch.
unpack_source() {
  local pkg=$1 ver dl dsc
  ver=$(src_version "$pkg")
  dl=$HOME/.cache/vantoria/sources/$pkg-$ver
  if [ ! -f "$dl/.complete" ]; then
    rm -rf "$dl"
    mkdir -p "$dl"
    # apt checks every file against the signed archive index.
    if ! (cd "$dl" && apt-get source --download-only -qq "$pkg" >/dev/null 2>&1); then
      # The mirror may lack a file of the package (seen: qrencode's debian.tar.xz). Then the
      # upstream tarball, checked by apt all the same, is built without Debian's patches.
      ls "$dl"/*.orig.tar.* >/dev/null 2>&1 || die "cannot fetch the source package $pkg"
      warn "Debian's packaging of $pkg cannot be fetched; building its upstream tarball only"
      touch "$dl/.orig-only"
    fi
    touch "$dl/.complete"
  fi
  rm -rf "$S"
  mkdir -p "$S"
  if [ -f "$dl/.orig-only" ]; then
    tar -xf "$(ls "$dl"/*.orig.tar.* | head -n1)" -C "$S" --strip-components=1
  else
    dsc=$(ls "$dl"/*.dsc | head -n1)
    rmdir "$S"
    dpkg-source --no-check --no-copy -x "$dsc" "$S" >/dev/null
  fi
  local p
  for p in "$DEPS_DIR/patches/$CURRENT_DEP"/*.patch; do
    [ -e "$p" ] || continue
    log "  patch $(basename "$p")"
    patch -d "$S" -p1 --forward <"$p"
  done
}

cmake_build() {
  local src=$1; shift
  "${NICE[@]}" cmake -G Ninja -S "$src" -B "$B" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DVANTORIA_MINGW_PREFIX="$PREFIX" \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=OFF \
    -DCMAKE_INSTALL_LIBDIR=lib "${CCACHE_LAUNCHER[@]}" "$@"
  "${NICE[@]}" ninja -C "$B" -j"$JOBS"
  ninja -C "$B" install
}

# Autotools packages, as static libraries. Extra configure arguments follow.
autotools_build() {
  mkdir -p "$B"
  (cd "$B" && "${NICE[@]}" "$S/configure" --host=$TRIPLET --build=x86_64-linux-gnu \
     --prefix="$PREFIX" --libdir="$PREFIX/lib" --enable-static --disable-shared \
     CC=$TRIPLET-gcc-posix CXX=$TRIPLET-g++-posix AR=$TRIPLET-gcc-ar-posix \
     RANLIB=$TRIPLET-gcc-ranlib-posix \
     CPPFLAGS="-I$PREFIX/include" LDFLAGS="-L$PREFIX/lib" \
     PKG_CONFIG=/usr/bin/pkg-config PKG_CONFIG_LIBDIR="$PREFIX/lib/pkgconfig" PKG_CONFIG_PATH= \
     "$@")
  "${NICE[@]}" make -C "$B" -j"$JOBS"
  make -C "$B" install
}

# The prefix holds static libraries only (no shared twin to tell apart), so what a .pc file
# keeps private is needed by every consumer: move it into Libs/Requires, so that a plain
# pkg_check_modules() gives a complete link line.
pc_fold_private() {
  local pc=$1 libs_p req_p
  libs_p=$(sed -n 's/^Libs\.private:[[:space:]]*//p' "$pc")
  req_p=$(sed -n 's/^Requires\.private:[[:space:]]*//p' "$pc")
  sed -i -e '/^Libs\.private:/d' -e '/^Requires\.private:/d' "$pc"
  if [ -n "$libs_p" ]; then
    sed -i "s|^Libs:\(.*\)$|Libs:\1 ${libs_p//|/\\|}|" "$pc"
  fi
  if [ -n "$req_p" ]; then
    if grep -q '^Requires:' "$pc"; then
      sed -i "s|^Requires:\(.*\)$|Requires:\1 ${req_p}|" "$pc"
    else
      printf 'Requires: %s\n' "$req_p" >>"$pc"
    fi
  fi
}

# Adds preprocessor flags to a .pc file's Cflags (e.g. the define that selects a static
# library's declarations).
pc_add_cflags() {
  local pc=$1; shift
  sed -i "s|^Cflags:\(.*\)$|Cflags:\1 $*|" "$pc"
}

# Builds one dependency unless its stamp matches; times it.
build_dep() {
  local name=$1 want t0 t1 logf
  local stamp=$CACHE/stamps/$name
  export CCACHE_BASEDIR=$CACHE
  want=$(dep_stamp "$name")
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$want" ]; then
    log "$name (${DEP_VERSION[$name]}): installed, skipped"
    return 0
  fi
  log "$name (${DEP_VERSION[$name]}): building"
  load_recipe "$name"
  CURRENT_DEP=$name
  S=$CACHE/src/$name
  B=$CACHE/build/$name
  rm -rf "$B"
  mkdir -p "$CACHE/logs" "$CACHE/stamps" "$PREFIX"
  logf=$CACHE/logs/$name.log
  t0=$(date +%s)
  # Not in an `if`: there bash would ignore set -e inside the subshell.
  local rc=0
  set +e
  (set -euo pipefail; build) 3>&2 >"$logf" 2>&1
  rc=$?
  set -e
  if [ "$rc" -ne 0 ]; then
    tail -n 40 "$logf" >&2
    die "$name failed; the log is $logf"
  fi
  t1=$(date +%s)
  printf '%s\n' "$want" >"$stamp"
  printf '%s %s %ss\n' "$name" "${DEP_VERSION[$name]}" "$((t1 - t0))" >>"$CACHE/logs/times.txt"
  log "$name: done in $((t1 - t0))s"
  # The work folders are not needed once the dependency is installed.
  rm -rf "$S" "$B"
}
