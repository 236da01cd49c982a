// Starts a program and measures, on the X server it talks to, the wall time
// from the spawn to the first map of a top-level window with a given title,
// then the program's resident memory a given delay later. Prints one line:
//   startup_ms=<ms> rss_kb=<kB>
// and ends the program. Needs a server without a window manager (Xvfb), so
// that top-level windows are children of the root window.
//
//   startup_probe <title> <rss delay ms> <program> [args...]

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

std::string WindowTitle(Display* display, Window window)
{
    // Qt sets both; _NET_WM_NAME carries UTF-8.
    const Atom netWmName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long remaining = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netWmName, 0, 1024, False, utf8, &type, &format, &count,
                           &remaining, &data) == Success && data) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(display, window, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

long ResidentKb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s <title> <rss delay ms> <program> [args...]\n", argv[0]);
        return 2;
    }
    const std::string wanted = argv[1];
    const int rssDelayMs = std::atoi(argv[2]);

    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "startup_probe: cannot open display\n");
        return 2;
    }
    const Window root = DefaultRootWindow(display);
    XSelectInput(display, root, SubstructureNotifyMask);
    XSync(display, False);

    const Clock::time_point spawned = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        execvp(argv[3], argv + 3);
        std::perror("startup_probe: exec");
        _exit(127);
    }

    const Clock::time_point deadline = spawned + std::chrono::seconds(30);
    Clock::time_point mapped{};
    bool found = false;
    while (!found && Clock::now() < deadline) {
        if (!XPending(display)) {
            pollfd fd{ConnectionNumber(display), POLLIN, 0};
            poll(&fd, 1, 100);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == MapNotify && !event.xmap.override_redirect) {
            const Clock::time_point at = Clock::now();
            if (WindowTitle(display, event.xmap.window) == wanted) {
                mapped = at;
                found = true;
            }
        }
    }

    int status = 0;
    if (!found) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        std::fprintf(stderr, "startup_probe: no window titled \"%s\" was mapped within 30 s\n", wanted.c_str());
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(rssDelayMs));
    const long rss = ResidentKb(pid);
    kill(pid, SIGTERM);
    waitpid(pid, &status, 0);
    XCloseDisplay(display);

    const double ms = std::chrono::duration<double, std::milli>(mapped - spawned).count();
    std::printf("startup_ms=%.2f rss_kb=%ld\n", ms, rss);
    return 0;
}
