/* Loudness of raw signed 16-bit little-endian stereo audio (SDL's disk audio
 * output) over time: one line "<start ms> <rms>" per window of WINDOW-MS.
 * Usage: pcmlevels FILE RATE WINDOW-MS */
#include <math.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char **argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: %s FILE RATE WINDOW-MS\n", argv[0]);
        return 2;
    }
    FILE *file = fopen(argv[1], "rb");
    if (!file) {
        perror(argv[1]);
        return 1;
    }
    long rate = atol(argv[2]), windowMs = atol(argv[3]);
    long framesPerWindow = rate * windowMs / 1000;
    if (rate <= 0 || framesPerWindow <= 0) {
        fprintf(stderr, "pcmlevels: bad rate or window\n");
        return 2;
    }
    unsigned char frame[4];
    long index = 0, inWindow = 0;
    double sum = 0;
    while (fread(frame, 1, sizeof frame, file) == sizeof frame) {
        for (int c = 0; c < 2; c++) {
            double s = (short)(frame[2 * c] | (frame[2 * c + 1] << 8));
            sum += s * s;
        }
        if (++inWindow == framesPerWindow) {
            printf("%ld %.0f\n", index * windowMs, sqrt(sum / (2.0 * framesPerWindow)));
            index++;
            inWindow = 0;
            sum = 0;
        }
    }
    fclose(file);
    return 0;
}
