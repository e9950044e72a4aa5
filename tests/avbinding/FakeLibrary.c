/* A tiny shared library for the binding's tests. It exports two functions
   and, when it is unloaded, appends its own name to the file named by
   KESTOVAR_FAKE_UNLOAD_LOG, so a test can see which libraries were released
   and in which order. */
#include <stdio.h>
#include <stdlib.h>

#ifndef FAKE_NAME
#define FAKE_NAME "fake"
#endif

int kestovar_fake_add(int a, int b) {
    return a + b;
}
const char* kestovar_fake_name(void) {
    return FAKE_NAME;
}

__attribute__((destructor)) static void kestovar_fake_unloaded(void) {
    const char* path = getenv("KESTOVAR_FAKE_UNLOAD_LOG");
    if (path == NULL) return;
    FILE* log = fopen(path, "a");
    if (log == NULL) return;
    fprintf(log, "%s\n", FAKE_NAME);
    fclose(log);
}
