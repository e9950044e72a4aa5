/* A preloaded library for fault injection: read() of one named file fails
 * with EIO once the file offset reaches a given byte. Everything else reads
 * as usual.
 *   LD_PRELOAD=libkestovar_failing_read.so
 *   KESTOVAR_FAILING_READ_PATH=/path/to/file   the file (by device and inode)
 *   KESTOVAR_FAILING_READ_OFFSET=65536          the first byte that fails
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

typedef ssize_t (*ReadFunction)(int, void*, size_t);

static int IsFailingFile(int fd, off_t* limit) {
    const char* path = getenv("KESTOVAR_FAILING_READ_PATH");
    const char* offset = getenv("KESTOVAR_FAILING_READ_OFFSET");
    struct stat wanted, actual;
    if (!path || !offset || stat(path, &wanted) != 0 || fstat(fd, &actual) != 0) return 0;
    if (wanted.st_dev != actual.st_dev || wanted.st_ino != actual.st_ino) return 0;
    *limit = (off_t)strtoll(offset, NULL, 10);
    return 1;
}

ssize_t read(int fd, void* buffer, size_t count) {
    static ReadFunction real_read;
    if (!real_read) real_read = (ReadFunction)dlsym(RTLD_NEXT, "read");
    off_t limit = 0;
    if (fd > 2 && IsFailingFile(fd, &limit)) {
        const off_t position = lseek(fd, 0, SEEK_CUR);
        if (position >= limit) {
            errno = EIO;
            return -1;
        }
        if (position >= 0 && (off_t)count > limit - position) count = (size_t)(limit - position);
    }
    return real_read(fd, buffer, count);
}
