// Starts a program on the current X display and measures two moments from exec: its first
// top-level window mapped, and that window's first frame drawn, that is the first moment at
// which the program has put pixels on every point of the window. Then it lets the program
// settle, ends it and reports its peak memory.
//   launch_timer [--check] SETTLE_SECONDS PROGRAM [ARGS...]
// prints: "<ms to mapped> <ms to first frame> <peak rss KiB>"
// --check also tells on stderr every drawing inside the window, and screenshots the window as
// fast as the server allows until the frame: the settled window's pixels must first show in
// them when the clock stops, not before and not much later.
//
// The frame is seen through the Damage extension on the root window: the server reports
// every drawing on the screen there, the window manager's frames included, so only what
// falls inside the program's own window counts. Qt creates its windows with no background,
// so mapping draws nothing inside them and the first damage there is the program's.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The next event, or false once the deadline has passed without one.
bool nextEvent(Display *display, XEvent &event, Clock::time_point deadline) {
    while (XPending(display) == 0) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return false;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(left));
    }
    XNextEvent(display, &event);
    return true;
}

std::optional<unsigned long> windowPid(Display *display, Window window, Atom pidAtom) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char *data = nullptr;
    std::optional<unsigned long> pid;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 1)
        pid = *reinterpret_cast<unsigned long *>(data);
    if (data)
        XFree(data);
    return pid;
}

// The program's own window at or under a window mapped on the root: under a reparenting
// window manager the root sees the manager's frame map, with the program's window inside.
Window programWindow(Display *display, Window window, Atom pidAtom, pid_t program) {
    if (windowPid(display, window, pidAtom) == static_cast<unsigned long>(program))
        return window;
    Window root = None;
    Window parent = None;
    Window *children = nullptr;
    unsigned int count = 0;
    Window found = None;
    if (XQueryTree(display, window, &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count && found == None; ++i)
            found = programWindow(display, children[i], pidAtom, program);
        if (children)
            XFree(children);
    }
    return found;
}

// The screen's pixels in a rectangle, to compare moments of the same window.
std::vector<unsigned long> pixels(Display *display, const XRectangle &area) {
    std::vector<unsigned long> result;
    XImage *image = XGetImage(display, DefaultRootWindow(display), area.x, area.y, area.width,
                              area.height, AllPlanes, ZPixmap);
    if (!image)
        return result;
    result.reserve(static_cast<std::size_t>(area.width) * area.height);
    for (int y = 0; y < area.height; ++y)
        for (int x = 0; x < area.width; ++x)
            result.push_back(XGetPixel(image, x, y));
    XDestroyImage(image);
    return result;
}

// Whether the program still runs; it stays a zombie for wait4 to read its memory.
bool running(pid_t program) {
    siginfo_t info{};
    return waitid(P_PID, static_cast<id_t>(program), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
           info.si_pid == 0;
}

// What the root window sees of a launch: the program's window mapped, then drawn.
class Watch {
public:
    Watch(Display *display, pid_t program, Clock::time_point start, bool check)
        : display_(display)
        , root_(DefaultRootWindow(display))
        , pidAtom_(XInternAtom(display, "_NET_WM_PID", False))
        , program_(program)
        , start_(start)
        , check_(check) {}
    ~Watch() {
        XDestroyRegion(drawn_);
        XDestroyRegion(window_);
    }
    Watch(const Watch &) = delete;
    Watch &operator=(const Watch &) = delete;

    void handle(const XEvent &event, int damageEvent) {
        if (event.type == MapNotify && shown_ == None)
            mapped(event.xmap.window);
        else if (event.type == damageEvent + XDamageNotify && shown_ != None && frame_ < 0)
            damaged(reinterpret_cast<const XDamageNotifyEvent &>(event).area);
    }

    Window shown() const { return shown_; }
    const XRectangle &inside() const { return inside_; }
    double mappedMs() const { return mapped_; }
    double frameMs() const { return frame_; }

private:
    void mapped(Window window) {
        const double when = msSince(start_);
        const Window mine = programWindow(display_, window, pidAtom_, program_);
        XWindowAttributes attributes{};
        int x = 0;
        int y = 0;
        Window unused = None;
        if (mine == None || !XGetWindowAttributes(display_, mine, &attributes) ||
            !XTranslateCoordinates(display_, mine, root_, 0, 0, &x, &y, &unused))
            return;
        shown_ = window;
        mapped_ = when;
        inside_ = {static_cast<short>(x), static_cast<short>(y),
                   static_cast<unsigned short>(attributes.width),
                   static_cast<unsigned short>(attributes.height)};
        XUnionRectWithRegion(&inside_, window_, window_);
        if (check_)
            std::fprintf(stderr, "%7.1f ms  mapped: %dx%d at %d,%d\n", when, attributes.width,
                         attributes.height, x, y);
    }

    void damaged(XRectangle rectangle) {
        Region area = XCreateRegion();
        XUnionRectWithRegion(&rectangle, area, area);
        XIntersectRegion(area, window_, area);
        if (!XEmptyRegion(area)) {
            XUnionRegion(drawn_, area, drawn_);
            const bool whole = XRectInRegion(drawn_, inside_.x, inside_.y, inside_.width,
                                             inside_.height) == RectangleIn;
            if (whole)
                frame_ = msSince(start_);
            if (check_)
                std::fprintf(stderr, "%7.1f ms  drawn: %dx%d at %d,%d%s\n", msSince(start_),
                             rectangle.width, rectangle.height, rectangle.x, rectangle.y,
                             whole ? ", the whole window now" : "");
        }
        XDestroyRegion(area);
    }

    Display *display_;
    Window root_;
    Atom pidAtom_;
    pid_t program_;
    Clock::time_point start_;
    bool check_;
    Window shown_ = None; // what the root saw mapped: the manager's frame, or the window itself
    XRectangle inside_{};
    Region window_ = XCreateRegion();
    Region drawn_ = XCreateRegion();
    double mapped_ = -1;
    double frame_ = -1;
};

struct Screenshot {
    double asked; // the server took it between these two moments
    std::vector<unsigned long> pixels;
    double got;
};

} // namespace

int main(int argc, char *argv[]) {
    const bool check = argc > 1 && std::strcmp(argv[1], "--check") == 0;
    const int first = check ? 2 : 1;
    if (argc < first + 2) {
        std::fprintf(stderr, "usage: launch_timer [--check] SETTLE_SECONDS PROGRAM [ARGS...]\n");
        return 2;
    }
    const double settle = std::atof(argv[first]);
    Display *display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "launch_timer: no X display\n");
        return 2;
    }
    int damageEvent = 0;
    int damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError)) {
        std::fprintf(stderr, "launch_timer: the X server has no Damage extension\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XDamageCreate(display, DefaultRootWindow(display), XDamageReportRawRectangles);
    XSync(display, False);

    const auto start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        execv(argv[first + 1], argv + first + 1);
        _exit(127);
    }

    Watch watch(display, child, start, check);
    std::vector<Screenshot> screenshots;
    const auto deadline = start + std::chrono::seconds(20);
    XEvent event;
    while (watch.frameMs() < 0 && Clock::now() < deadline && running(child)) {
        if (check && watch.shown() != None) {
            screenshots.push_back(
                {msSince(start), pixels(display, watch.inside()), msSince(start)});
            while (XPending(display) > 0 && watch.frameMs() < 0) {
                XNextEvent(display, &event);
                watch.handle(event, damageEvent);
            }
        } else if (nextEvent(display, event, Clock::now() + std::chrono::milliseconds(100))) {
            watch.handle(event, damageEvent);
        }
    }
    if (check && watch.frameMs() >= 0)
        screenshots.push_back({msSince(start), pixels(display, watch.inside()), msSince(start)});

    if (watch.frameMs() >= 0)
        usleep(static_cast<useconds_t>(settle * 1e6));
    if (!screenshots.empty()) {
        const std::vector<unsigned long> settled = pixels(display, watch.inside());
        const Screenshot *lastUnlike = nullptr;
        const Screenshot *firstLike = nullptr;
        for (const Screenshot &shot : screenshots) {
            if (shot.pixels != settled)
                lastUnlike = &shot;
            else if (!firstLike)
                firstLike = &shot;
        }
        std::fprintf(stderr, "%zu screenshots from the map on\n", screenshots.size());
        if (lastUnlike)
            std::fprintf(stderr, "  the last unlike the settled window asked for at %.1f ms\n",
                         lastUnlike->asked);
        if (firstLike)
            std::fprintf(stderr, "  the first like it back at %.1f ms\n", firstLike->got);
    }

    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    // The next launch starts on a screen this one has left: its window gone.
    const auto gone = Clock::now() + std::chrono::seconds(2);
    while (watch.shown() != None && nextEvent(display, event, gone))
        if (event.type == DestroyNotify && event.xdestroywindow.window == watch.shown())
            break;
    XCloseDisplay(display);
    if (watch.frameMs() < 0) {
        std::fprintf(stderr, "launch_timer: %s drew no whole window (within 20 s, while it ran)\n",
                     argv[first + 1]);
        return 1;
    }
    std::printf("%.1f %.1f %ld\n", watch.mappedMs(), watch.frameMs(), usage.ru_maxrss);
    return 0;
}
