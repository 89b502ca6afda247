/* LD_PRELOAD library for running Windows serial code under wine on pseudo-terminals.
 *
 * Wine's serial emulation asks the device for its modem lines (TIOCMGET) before every event
 * wait, and raises DTR and RTS with TIOCMBIS/TIOCMBIC. A pseudo-terminal refuses all of these
 * with ENOTTY, so the wait fails at once and the line functions fail. This library answers
 * TIOCMGET, TIOCMSET, TIOCMBIS and TIOCMBIC for pseudo-terminal devices from output lines
 * kept per device (a line belongs to the device, not to one descriptor: wine may hold
 * several). The inputs are wired as on a loopback plug, DTR to DSR and DCD, RTS to CTS, so
 * that a line set or cleared reads back through the modem status and its change is an event.
 * Every other request goes to the kernel.
 *
 * Once the controlling side has gone, the device answers EIO, as a USB adapter pulled out
 * does: that is what makes wine fail a pending event wait when the far end goes away.
 */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <poll.h>
#include <pthread.h>
#include <stdarg.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

/* Outputs raised as the kernel raises them on open. */
#define OUTPUTS (TIOCM_DTR | TIOCM_RTS)
#define INITIAL_LINES OUTPUTS
#define MAX_DEVICES 64

struct device_lines {
    dev_t device;
    int lines;
};

static struct device_lines devices[MAX_DEVICES];
static int device_count;
static pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;

typedef int (*ioctl_fn)(int, unsigned long, ...);

static ioctl_fn real_ioctl(void)
{
    static ioctl_fn fn;
    if (!fn) {
        fn = (ioctl_fn)dlsym(RTLD_NEXT, "ioctl");
    }
    return fn;
}

/* UNIX 98 pseudo-terminal devices have majors 136 to 143. */
static int pty_device(int fd, dev_t* device)
{
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISCHR(st.st_mode)) {
        return 0;
    }
    if (major(st.st_rdev) < 136 || major(st.st_rdev) > 143) {
        return 0;
    }
    *device = st.st_rdev;
    return 1;
}

static int hung_up(int fd)
{
    struct pollfd p = {fd, POLLOUT, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & POLLHUP);
}

/* The caller holds the lock. A full table gives up its first slot. */
static int* lines_of(dev_t device)
{
    for (int i = 0; i < device_count; ++i) {
        if (devices[i].device == device) {
            return &devices[i].lines;
        }
    }
    int slot = device_count < MAX_DEVICES ? device_count++ : 0;
    devices[slot].device = device;
    devices[slot].lines = INITIAL_LINES;
    return &devices[slot].lines;
}

static int with_inputs(int outputs)
{
    int lines = outputs & OUTPUTS;
    if (lines & TIOCM_DTR) {
        lines |= TIOCM_DSR | TIOCM_CD;
    }
    if (lines & TIOCM_RTS) {
        lines |= TIOCM_CTS;
    }
    return lines;
}

static int modem_request(int fd, unsigned long request, int* arg)
{
    dev_t device;
    if (!pty_device(fd, &device)) {
        return -2;
    }
    if (hung_up(fd)) {
        errno = EIO;
        return -1;
    }
    if (!arg) {
        errno = EFAULT;
        return -1;
    }
    pthread_mutex_lock(&lock);
    int* lines = lines_of(device);
    switch (request) {
    case TIOCMGET:
        *arg = with_inputs(*lines);
        break;
    case TIOCMSET:
        *lines = *arg & OUTPUTS;
        break;
    case TIOCMBIS:
        *lines |= *arg & OUTPUTS;
        break;
    default: /* TIOCMBIC */
        *lines &= ~*arg;
        break;
    }
    pthread_mutex_unlock(&lock);
    return 0;
}

int ioctl(int fd, unsigned long request, ...)
{
    va_list ap;
    va_start(ap, request);
    void* arg = va_arg(ap, void*);
    va_end(ap);
    if (request == TIOCMGET || request == TIOCMSET || request == TIOCMBIS || request == TIOCMBIC) {
        const int result = modem_request(fd, request, (int*)arg);
        if (result != -2) {
            return result;
        }
    }
    return real_ioctl()(fd, request, arg);
}
