// Starts a program on the current X display, measures the time from exec to the first
// window it maps, lets it settle, ends it and reports its peak memory.
//   launch_timer SETTLE_SECONDS PROGRAM [ARGS...]
// prints: "<ms to window> <peak rss KiB>"
#include <X11/Xlib.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

int main(int argc, char *argv[]) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: launch_timer SETTLE_SECONDS PROGRAM [ARGS...]\n");
        return 2;
    }
    const double settle = std::atof(argv[1]);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "launch_timer: no X display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[2], argv + 2);
        _exit(127);
    }
    for (;;) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify)
            break;
    }
    const double shown =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();

    usleep(static_cast<useconds_t>(settle * 1e6));

    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::printf("%.1f %ld\n", shown, usage.ru_maxrss);
    XCloseDisplay(display);
    return 0;
}
