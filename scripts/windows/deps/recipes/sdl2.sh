# SDL2, static.
SRC_PKG=libsdl2

build() {
  unpack_source libsdl2
  cmake_build "$S" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF -DSDL_TESTS=OFF \
    -DSDL_STATIC_PIC=OFF
  local pc=$PREFIX/lib/pkgconfig/sdl2.pc
  pc_fold_private "$pc"
  # sdl2.pc would make every consumer a GUI-subsystem program whose main() SDL2main wraps;
  # a Qt program has its own entry point. Consumers define SDL_MAIN_HANDLED instead.
  sed -i -e '/^Libs:/s/ -lmingw32//g; /^Libs:/s/ -lSDL2main//g; /^Libs:/s/ -mwindows//g' \
         -e '/^Cflags:/s/ -Dmain=SDL_main//g' "$pc"
  pc_add_cflags "$pc" -DSDL_MAIN_HANDLED
}
