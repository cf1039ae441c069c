/* Decodes each MP3 given on the command line with SDL2_mixer, the library the program
   plays its music with, and prints what a loop player would meet:
   name, duration in seconds, frames, peak, RMS, and the sample step across the loop
   point (last frame to first frame) next to the typical step inside the music. */
#include <SDL.h>
#include <SDL_mixer.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv) {
    if (SDL_Init(SDL_INIT_AUDIO) != 0) {
        fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
        return 2;
    }
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        fprintf(stderr, "Mix_OpenAudio: %s\n", Mix_GetError());
        return 2;
    }
    int failed = 0;
    for (int i = 1; i < argc; ++i) {
        Mix_Music* music = Mix_LoadMUS(argv[i]);
        if (!music) {
            fprintf(stderr, "%s: Mix_LoadMUS: %s\n", argv[i], Mix_GetError());
            failed = 1;
            continue;
        }
        double duration = Mix_MusicDuration(music);
        Mix_FreeMusic(music);
        Mix_Chunk* chunk = Mix_LoadWAV(argv[i]);
        if (!chunk) {
            fprintf(stderr, "%s: Mix_LoadWAV: %s\n", argv[i], Mix_GetError());
            failed = 1;
            continue;
        }
        const Sint16* s = (const Sint16*)chunk->abuf;
        size_t frames = chunk->alen / 4;
        double peak = 0, sum = 0, steps = 0;
        for (size_t f = 0; f < frames; ++f) {
            for (int c = 0; c < 2; ++c) {
                double v = s[2 * f + c] / 32768.0;
                peak = fabs(v) > peak ? fabs(v) : peak;
                sum += v * v;
                if (f > 0) steps += fabs(v - s[2 * (f - 1) + c] / 32768.0);
            }
        }
        double seam = 0;
        for (int c = 0; c < 2; ++c) {
            double d = fabs(s[2 * (frames - 1) + c] / 32768.0 - s[c] / 32768.0);
            seam = d > seam ? d : seam;
        }
        printf("%s duration=%.3f frames=%zu peak=%.3f rms=%.3f seam_step=%.5f mean_step=%.5f\n",
               argv[i], duration, frames, peak, sqrt(sum / (2.0 * frames)), seam,
               steps / (2.0 * (frames - 1)));
        Mix_FreeChunk(chunk);
    }
    Mix_CloseAudio();
    SDL_Quit();
    return failed;
}
