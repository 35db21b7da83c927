/* Times whole runs of programs, interleaved: run 1 of each, then run 2 of
 * each, and so on, starting each round with the next program, so that a
 * machine that drifts slows every program alike. Each run reads the file `in`
 * on standard input and writes to /dev/null. Prints each program's median.
 *
 *   interleave RUNS PROGRAM...                                             */
#define _POSIX_C_SOURCE 200809L
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

static int by_value(const void* a, const void* b)
{
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

/* One run of `program`, in microseconds from its start to its end. */
static double run(char* program, int output)
{
    const int input = open("in", O_RDONLY);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_adddup2(&files, input, 0);
    posix_spawn_file_actions_adddup2(&files, output, 1);
    char* argv[] = {program, NULL};
    struct timespec start, end;
    pid_t pid;
    int status;
    clock_gettime(CLOCK_MONOTONIC, &start);
    if (input < 0 || posix_spawn(&pid, program, &files, NULL, argv, environ) != 0 ||
        waitpid(pid, &status, 0) != pid || status != 0) {
        fprintf(stderr, "interleave: %s did not run\n", program);
        exit(1);
    }
    clock_gettime(CLOCK_MONOTONIC, &end);
    posix_spawn_file_actions_destroy(&files);
    close(input);
    return (double)(end.tv_sec - start.tv_sec) * 1e6 + (double)(end.tv_nsec - start.tv_nsec) / 1e3;
}

int main(int argc, char** argv)
{
    const int runs = argc > 2 ? atoi(argv[1]) : 0;
    const int count = argc - 2;
    double* times = malloc(sizeof *times * (size_t)(runs > 0 ? runs : 1) * (size_t)count);
    const int output = open("/dev/null", O_WRONLY);
    if (runs <= 0 || times == NULL || output < 0) {
        fprintf(stderr, "usage: interleave RUNS PROGRAM...\n");
        return 2;
    }
    for (int i = 0; i < runs; i++) {
        for (int k = 0; k < count; k++) {
            const int which = (i + k) % count;
            times[which * runs + i] = run(argv[2 + which], output);
        }
    }
    for (int which = 0; which < count; which++) {
        qsort(times + which * runs, (size_t)runs, sizeof *times, by_value);
        printf("%8.0f us  %s\n", times[which * runs + runs / 2], argv[2 + which]);
    }
    return 0;
}
