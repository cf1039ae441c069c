# The iconv shim of deps/iconv (see iconv.h for why): libiconv.a, iconv.h, localcharset.h.
LOCAL_VERSION=1

build() {
  mkdir -p "$B" "$PREFIX/include" "$PREFIX/lib"
  $TRIPLET-gcc-posix -O2 -std=c11 -Wall -Wextra -Werror -c "$DEPS_DIR/iconv/iconv.c" \
    -o "$B/iconv.o"
  rm -f "$B/libiconv.a"
  $TRIPLET-gcc-ar-posix rcs "$B/libiconv.a" "$B/iconv.o"
  install -m644 "$DEPS_DIR/iconv/iconv.h" "$DEPS_DIR/iconv/localcharset.h" "$PREFIX/include/"
  install -m644 "$B/libiconv.a" "$PREFIX/lib/libiconv.a"
}
