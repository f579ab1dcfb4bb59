/* Waits until some process closes the file PATH (read or written), to tell
 * when a program has read a given file. Prints "ready" once watching; with
 * SIZEFILE, prints "size N" with that file's size the moment the close is
 * seen (a caller that looks later may be late by a busy machine's slice).
 * Usage: waitclose PATH SECONDS [SIZEFILE]; exit status 0 when closed,
 * 1 on timeout. */
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4) {
        fprintf(stderr, "usage: %s PATH SECONDS [SIZEFILE]\n", argv[0]);
        return 2;
    }
    int fd = inotify_init1(IN_CLOEXEC);
    if (fd < 0 || inotify_add_watch(fd, argv[1], IN_CLOSE_NOWRITE | IN_CLOSE_WRITE) < 0) {
        perror(argv[1]);
        return 2;
    }
    printf("ready\n");
    fflush(stdout);
    struct pollfd pfd = {fd, POLLIN, 0};
    int ready = poll(&pfd, 1, atoi(argv[2]) * 1000);
    if (ready <= 0) {
        fprintf(stderr, "waitclose: %s not closed within %s s\n", argv[1], argv[2]);
        return 1;
    }
    if (argc == 4) {
        struct stat st;
        if (stat(argv[3], &st) != 0) {
            perror(argv[3]);
            return 2;
        }
        printf("size %lld\n", (long long)st.st_size);
    }
    return 0;
}
