// SPDX-FileCopyrightText: 2026 the console-rpg authors
// SPDX-License-Identifier: MIT
/* Counts heap allocations in the process it is preloaded into. On SIGUSR2 it
 * writes the count so far, as decimal text and a line feed, to the file
 * descriptor named by ALLOC_COUNTER_FD. Only async-signal-safe calls in the
 * handler; the wrappers call the C library's own allocator. */
#define _GNU_SOURCE /* NOLINT(bugprone-reserved-identifier): glibc's own switch for its extensions */
#include <limits.h>
#include <signal.h>
#include <stdatomic.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

/* NOLINTBEGIN(bugprone-reserved-identifier): glibc's allocator under its own names */
extern void *__libc_malloc(size_t);
extern void *__libc_calloc(size_t, size_t);
extern void *__libc_realloc(void *, size_t);
extern void *__libc_memalign(size_t, size_t);
/* NOLINTEND(bugprone-reserved-identifier) */

static atomic_ulong allocations;
static int report_fd = -1;

void *malloc(size_t size) { atomic_fetch_add(&allocations, 1); return __libc_malloc(size); }
void *calloc(size_t n, size_t size) { atomic_fetch_add(&allocations, 1); return __libc_calloc(n, size); }
void *realloc(void *p, size_t size) { atomic_fetch_add(&allocations, 1); return __libc_realloc(p, size); }
void *memalign(size_t align, size_t size) { atomic_fetch_add(&allocations, 1); return __libc_memalign(align, size); }
int posix_memalign(void **out, size_t align, size_t size) {
    atomic_fetch_add(&allocations, 1);
    *out = __libc_memalign(align, size);
    return *out ? 0 : 12;
}
void *aligned_alloc(size_t align, size_t size) { atomic_fetch_add(&allocations, 1); return __libc_memalign(align, size); }

static void report(int sig) {
    (void)sig;
    char text[32];
    int at = (int)sizeof text;
    unsigned long n = atomic_load(&allocations);
    text[--at] = '\n';
    do { text[--at] = (char)('0' + n % 10); n /= 10; } while (n > 0);
    if (report_fd >= 0) (void)!write(report_fd, text + at, sizeof text - (size_t)at);
}

__attribute__((constructor)) static void start(void) {
    const char *fd = getenv("ALLOC_COUNTER_FD");
    char *end = NULL;
    const long number = fd ? strtol(fd, &end, 10) : -1;
    /* Not a whole descriptor number: nothing to report to, rather than to stdin. */
    if (fd && *fd != '\0' && *end == '\0' && number >= 0 && number <= INT_MAX) report_fd = (int)number;
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = report;
    action.sa_flags = SA_RESTART;
    sigaction(SIGUSR2, &action, 0);
}
