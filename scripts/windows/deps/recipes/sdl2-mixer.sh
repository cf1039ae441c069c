# SDL2_mixer, static, with only its built-in decoders: WAV, MP3 (dr_mp3), OGG (stb_vorbis),
# FLAC (dr_flac). No external codec libraries to build or ship.
SRC_PKG=libsdl2-mixer

build() {
  unpack_source libsdl2-mixer
  cmake_build "$S" -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF \
    -DSDL2MIXER_SAMPLES=OFF -DSDL2MIXER_CMD=OFF \
    -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF \
    -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_FLAC=ON -DSDL2MIXER_FLAC_DRFLAC=ON \
    -DSDL2MIXER_FLAC_LIBFLAC=OFF -DSDL2MIXER_OPUS=OFF -DSDL2MIXER_MOD=OFF \
    -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_WAVE=ON
  # Its CMake writes SDL2_mixer.pc for a shared build only.
  local h=$S/include/SDL_mixer.h v
  v=$(for f in MAJOR_VERSION MINOR_VERSION PATCHLEVEL; do
        sed -n "s/^#define SDL_MIXER_$f *\([0-9]*\).*/\1/p" "$h"
      done | paste -sd.)
  cat >"$PREFIX/lib/pkgconfig/SDL2_mixer.pc" <<PC
prefix=$PREFIX
libdir=\${prefix}/lib
includedir=\${prefix}/include

Name: SDL2_mixer
Description: mixer library for Simple DirectMedia Layer (static)
Version: $v
Requires: sdl2 >= 2.0.9
Libs: -L\${libdir} -lSDL2_mixer
Cflags: -I\${includedir}/SDL2
PC
}
