/* A preloaded library that records, in order, every fsync() and rename() of
 * the program into a log file, so that a test can see that a finished output
 * reaches the disk before its final name does:
 *   LD_PRELOAD=libkestovar_sync_log.so
 *   KESTOVAR_SYNC_LOG=/path/to/log    one line per call: "fsync PATH" or
 *                                     "rename FROM TO"
 * The calls themselves go on as usual. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static void Record(const char* what, const char* first, const char* second) {
    const char* log = getenv("KESTOVAR_SYNC_LOG");
    if (!log) return;
    FILE* file = fopen(log, "a");
    if (!file) return;
    fprintf(file, "%s %s%s%s\n", what, first, second ? " " : "", second ? second : "");
    fclose(file);
}

int fsync(int fd) {
    static int (*real_fsync)(int);
    if (!real_fsync) real_fsync = (int (*)(int))dlsym(RTLD_NEXT, "fsync");
    char link[64];
    char path[4096];
    snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const ssize_t length = readlink(link, path, sizeof path - 1);
    path[length > 0 ? length : 0] = '\0';
    Record("fsync", path, NULL);
    return real_fsync(fd);
}

int rename(const char* from, const char* to) {
    static int (*real_rename)(const char*, const char*);
    if (!real_rename) real_rename = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    Record("rename", from, to);
    return real_rename(from, to);
}
