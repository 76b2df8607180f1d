/* Native reference for bench_optimize: mmap, write every byte and munmap the same block
 * sizes with the kernel directly, printing the same columns, so a run shows what Wine's
 * VirtualAlloc + write + VirtualFree adds. Built with the host compiler by scripts/bench.sh.
 * Usage: native_touch [runs]   (default 7; a first run is shown apart) */
#define _GNU_SOURCE
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>

static const double kMB = 1048576.0;

static double now(void) {
    struct timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

/* Resident and peak resident set in MB, from /proc/self/status. */
static void resident(double* rss, double* peak) {
    char line[256];
    FILE* f = fopen("/proc/self/status", "r");
    *rss = *peak = 0;
    if (!f) return;
    while (fgets(line, sizeof line, f)) {
        long kb;
        if (sscanf(line, "VmRSS: %ld", &kb) == 1) *rss = kb / 1024.0;
        if (sscanf(line, "VmHWM: %ld", &kb) == 1) *peak = kb / 1024.0;
    }
    fclose(f);
}

static int cmp(const void* a, const void* b) {
    double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}
static double median(double* v, int n) {
    qsort(v, n, sizeof *v, cmp);
    return n ? v[n / 2] : 0;
}

/* The whole step: map, write, unmap. Phase times in ms go to `ms` when not null. */
static int touch(size_t bytes, double ms[4], double* heldRss) {
    double t0 = now();
    char* block = mmap(NULL, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    double t1 = now();
    if (block == MAP_FAILED) return 0;
    memset(block, 0, bytes);
    double t2 = now(), t3 = t2;
    if (ms) {
        memset(block, 1, bytes);
        t3 = now();
        double peak;
        resident(heldRss, &peak);
    }
    double t4 = now();
    munmap(block, bytes);
    double t5 = now();
    if (ms) {
        ms[0] = (t1 - t0) * 1e3;
        ms[1] = (t2 - t1) * 1e3;
        ms[2] = (t3 - t2) * 1e3;
        ms[3] = (t5 - t4) * 1e3;
    }
    return 1;
}

int main(int argc, char** argv) {
    int runs = argc > 1 && atoi(argv[1]) > 0 ? atoi(argv[1]) : 7;
    const size_t sizes[] = {256u << 20, 1024u << 20, 2000u << 20};
    double rss0, peak0;
    resident(&rss0, &peak0);
    printf("Native Linux reference (mmap + memset + munmap), %d-bit\nat start: RSS %.1f MB\n\n",
           (int)(sizeof(void*) * 8), rss0);
    printf("first run, then median of %d:\n", runs);
    printf("  %-30s %9s %10s %6s %9s %9s %9s\n", "what", "first ms", "median ms", "MB/s", "peak RSS", "RSS after",
           "released");
    for (int s = 0; s < 3; ++s) {
        double* t = malloc(sizeof(double) * runs);
        double t0 = now();
        int ok = touch(sizes[s], NULL, NULL);
        double first = (now() - t0) * 1e3;
        for (int i = 0; i < runs && ok; ++i) {
            t0 = now();
            ok = touch(sizes[s], NULL, NULL);
            t[i] = (now() - t0) * 1e3;
        }
        char what[64];
        snprintf(what, sizeof what, "map+write+unmap %zu MB", sizes[s] >> 20);
        double rss, peak;
        resident(&rss, &peak);
        double med = median(t, runs);
        if (ok)
            printf("  %-30s %9.1f %10.1f %6.0f %9.0f %9.1f %9s\n", what, first, med, sizes[s] / kMB / (med / 1e3), peak,
                   rss, rss - rss0 < 8 ? "yes" : "NO");
        else
            printf("  %-30s FAILED\n", what);
        free(t);
    }
    printf("\nphases (median of %d; rewrite = second write of the touched block):\n", runs);
    for (int s = 0; s < 2; ++s) {
        double commit[64], write[64], rewrite[64], release[64], held = 0;
        int n = runs < 64 ? runs : 64;
        for (int i = 0; i < n; ++i) {
            double ms[4];
            if (!touch(sizes[s], ms, &held)) return 1;
            commit[i] = ms[0], write[i] = ms[1], rewrite[i] = ms[2], release[i] = ms[3];
        }
        double mb = sizes[s] / kMB, w = median(write, n), r = median(rewrite, n);
        printf("  %6.0f MB: commit %7.2f ms  first write %8.1f ms (%5.0f MB/s)  rewrite %7.1f ms (%5.1f GB/s)"
               "  release %7.2f ms   held: RSS %5.0f MB\n",
               mb, median(commit, n), w, mb / (w / 1e3), r, mb / 1024 / (r / 1e3), median(release, n), held);
    }
    return 0;
}
