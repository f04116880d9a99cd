/* Loaded into a magnifier by bench/lensor.sh (LD_PRELOAD): counts the frames
 * it puts on the screen and the CPU they cost, the same way for lensor and for
 * xzoom, then ends the program and writes one line of figures.
 *
 * A frame is a run of image puts (Xlib's XShmPutImage, XCB's shm and plain
 * puts) that starts at least 2 ms after the previous put. After
 * LENSOR_FRAMES_WARM frames (default 50) the program's CPU time (all its
 * threads) and the X server's (LENSOR_FRAMES_SERVER, a process id) are taken;
 * after LENSOR_FRAMES_COUNT more (default 500) they are taken again and
 * "frames seconds client_ms server_ms width height" goes to LENSOR_FRAMES_OUT
 * (CPU per frame, and the largest put then: the picture).
 *
 * LENSOR_FRAMES_PERIOD_MS paces a program that sleeps between frames with
 * usleep (xzoom, whose delays are 200, 100, 50, 10 or 0 ms): each sleep lasts
 * until the next whole period, so its frames come at lensor's rate.
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

static long g_frames = -1;
static double g_lastPut;
static double g_startWall, g_startClient, g_startServer;
static unsigned g_width, g_height;

static double seconds(clockid_t clock)
{
    struct timespec t;
    clock_gettime(clock, &t);
    return (double)t.tv_sec + (double)t.tv_nsec / 1e9;
}

static long envLong(const char* name, long fallback)
{
    const char* v = getenv(name);
    return v && *v ? atol(v) : fallback;
}

/* CPU seconds of a process, all its threads: the process clock for our own,
 * the scheduler's count of each thread for another. */
static double processSeconds(long pid)
{
    if (pid == (long)getpid())
        return seconds(CLOCK_PROCESS_CPUTIME_ID);
    char path[64];
    snprintf(path, sizeof path, "/proc/%ld/task", pid);
    DIR* tasks = opendir(path);
    if (!tasks)
        return 0;
    unsigned long long total = 0;
    for (struct dirent* t; (t = readdir(tasks));) {
        if (t->d_name[0] == '.')
            continue;
        char stat[300];
        snprintf(stat, sizeof stat, "/proc/%ld/task/%s/schedstat", pid, t->d_name);
        FILE* f = fopen(stat, "r");
        unsigned long long ns = 0;
        if (f && fscanf(f, "%llu", &ns) == 1)
            total += ns;
        if (f)
            fclose(f);
    }
    closedir(tasks);
    return (double)total / 1e9;
}

static void counted(unsigned width, unsigned height)
{
    const double now = seconds(CLOCK_MONOTONIC);
    const int newFrame = g_frames < 0 || now - g_lastPut >= 0.002;
    g_lastPut = now;
    if (width * height > g_width * g_height) {
        g_width = width;
        g_height = height;
    }
    if (!newFrame)
        return;
    ++g_frames;
    /* Read once: the count itself should cost the programs next to nothing. */
    static long warm = -1, count, server;
    if (warm < 0) {
        warm = envLong("LENSOR_FRAMES_WARM", 50);
        count = envLong("LENSOR_FRAMES_COUNT", 500);
        server = envLong("LENSOR_FRAMES_SERVER", 0);
    }
    if (g_frames == warm) {
        /* The picture is the largest put from here on (the first paint of
         * the whole window is over). */
        g_width = width;
        g_height = height;
        g_startWall = now;
        g_startClient = processSeconds(getpid());
        g_startServer = server ? processSeconds(server) : 0;
    } else if (g_frames == warm + count) {
        const double client = processSeconds(getpid()) - g_startClient;
        const double xserver = server ? processSeconds(server) - g_startServer : 0;
        const char* out = getenv("LENSOR_FRAMES_OUT");
        FILE* f = out ? fopen(out, "w") : stderr;
        if (f) {
            fprintf(f, "%ld %.3f %.4f %.4f %u %u\n", count, now - g_startWall,
                    client * 1000 / count, xserver * 1000 / count, g_width, g_height);
            if (f != stderr)
                fclose(f);
        }
        _exit(0);
    }
}

/* The real function: the next one after this library, or, for a library the
 * toolkit opened for its own use only (its X11 plugin's), from that library. */
static void* real(const char* name, const char* library)
{
    void* f = dlsym(RTLD_NEXT, name);
    if (!f) {
        void* handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
        if (handle)
            f = dlsym(handle, name);
    }
    if (!f) {
        fprintf(stderr, "lensorframes: no %s\n", name);
        abort();
    }
    return f;
}

/* Xlib (xzoom). The types are left loose: only the sizes are read. */
int XShmPutImage(void* display, unsigned long drawable, void* gc, void* image, int srcX, int srcY,
                 int dstX, int dstY, unsigned width, unsigned height, int sendEvent)
{
    typedef int Fn(void*, unsigned long, void*, void*, int, int, int, int, unsigned, unsigned, int);
    static Fn* next;
    if (!next)
        next = (Fn*)real("XShmPutImage", "libXext.so.6");
    counted(width, height);
    return next(display, drawable, gc, image, srcX, srcY, dstX, dstY, width, height, sendEvent);
}

/* XCB (lensor's own puts and the toolkit's window flushes). */
typedef struct {
    unsigned int sequence;
} Cookie;

Cookie xcb_shm_put_image(void* c, uint32_t drawable, uint32_t gc, uint16_t totalWidth,
                         uint16_t totalHeight, uint16_t srcX, uint16_t srcY, uint16_t srcWidth,
                         uint16_t srcHeight, int16_t dstX, int16_t dstY, uint8_t depth,
                         uint8_t format, uint8_t sendEvent, uint32_t shmseg, uint32_t offset)
{
    typedef Cookie Fn(void*, uint32_t, uint32_t, uint16_t, uint16_t, uint16_t, uint16_t, uint16_t,
                      uint16_t, int16_t, int16_t, uint8_t, uint8_t, uint8_t, uint32_t, uint32_t);
    static Fn* next;
    if (!next)
        next = (Fn*)real("xcb_shm_put_image", "libxcb-shm.so.0");
    counted(srcWidth, srcHeight);
    return next(c, drawable, gc, totalWidth, totalHeight, srcX, srcY, srcWidth, srcHeight, dstX,
                dstY, depth, format, sendEvent, shmseg, offset);
}

Cookie xcb_put_image(void* c, uint8_t format, uint32_t drawable, uint32_t gc, uint16_t width,
                     uint16_t height, int16_t dstX, int16_t dstY, uint8_t leftPad, uint8_t depth,
                     uint32_t length, const uint8_t* data)
{
    typedef Cookie Fn(void*, uint8_t, uint32_t, uint32_t, uint16_t, uint16_t, int16_t, int16_t,
                      uint8_t, uint8_t, uint32_t, const uint8_t*);
    static Fn* next;
    if (!next)
        next = (Fn*)real("xcb_put_image", "libxcb.so.1");
    counted(width, height);
    return next(c, format, drawable, gc, width, height, dstX, dstY, leftPad, depth, length, data);
}

/* The pace: every sleep ends at the next whole period since the first. */
int usleep(useconds_t microseconds)
{
    static long period = -1;
    if (period < 0)
        period = envLong("LENSOR_FRAMES_PERIOD_MS", 0);
    if (period <= 0) {
        typedef int Fn(useconds_t);
        static Fn* next;
        if (!next)
            next = (Fn*)real("usleep", "libc.so.6");
        return next(microseconds);
    }
    static struct timespec due;
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    if (due.tv_sec == 0)
        due = now;
    do {
        due.tv_nsec += period * 1000000L;
        while (due.tv_nsec >= 1000000000L) {
            due.tv_nsec -= 1000000000L;
            ++due.tv_sec;
        }
    } while (due.tv_sec < now.tv_sec || (due.tv_sec == now.tv_sec && due.tv_nsec <= now.tv_nsec));
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &due, NULL);
    return 0;
}
