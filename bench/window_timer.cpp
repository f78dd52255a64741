// Starts a window program and reports how long it took from exec until its first top-level
// window was viewable on the X server, and the program's peak memory.
//
//   window_timer PROGRAM [ARGS...]
//
// Prints one line, "<milliseconds> <max RSS in KiB>", then ends the program. The time is taken
// from the server's own notifications (the window and its frame mapped), not by polling, so it
// holds no sleeping interval of its own. The window is told apart from the window manager's frames
// and from Qt's hidden helper windows by _NET_WM_PID.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// A window may be gone before the question about it arrives; that is no error here.
int IgnoreErrors(Display*, XErrorEvent*) {
  return 0;
}

long WindowPid(Display* display, Window window, Atom pidAtom) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  long pid = -1;
  if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count,
                         &after, &data) == Success &&
      data != nullptr) {
    if (type == XA_CARDINAL && format == 32 && count == 1)
      pid = *reinterpret_cast<long*>(data);  // Xlib hands 32-bit items over as long
    XFree(data);
  }
  return pid;
}

bool Viewable(Display* display, Window window) {
  XWindowAttributes attributes{};
  return XGetWindowAttributes(display, window, &attributes) != 0 &&
         attributes.map_state == IsViewable;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: window_timer PROGRAM [ARGS...]\n");
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (display == nullptr) {
    std::fprintf(stderr, "window_timer: cannot open the display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreErrors);
  const Window root = DefaultRootWindow(display);
  const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
  XSelectInput(display, root, SubstructureNotifyMask);
  XSync(display, False);

  const double start = NowMs();
  const pid_t child = fork();
  if (child < 0)
    return 2;
  if (child == 0) {
    close(ConnectionNumber(display));
    execvp(argv[1], argv + 1);
    _exit(127);
  }

  // Top-level windows as created; the program's own maps inside its frame are seen through
  // StructureNotify on it, the frame's map through the root.
  std::vector<Window> candidates;
  double viewableAt = -1;
  pollfd connection{ConnectionNumber(display), POLLIN, 0};
  while (viewableAt < 0 && NowMs() - start < 20000) {
    if (XPending(display) == 0) {
      int status = 0;
      if (waitpid(child, &status, WNOHANG) == child) {
        std::fprintf(stderr, "window_timer: %s ended before showing a window\n", argv[1]);
        return 1;
      }
      poll(&connection, 1, 100);
      continue;
    }
    XEvent event{};
    XNextEvent(display, &event);
    if (event.type == CreateNotify && !event.xcreatewindow.override_redirect) {
      candidates.push_back(event.xcreatewindow.window);
      XSelectInput(display, event.xcreatewindow.window, StructureNotifyMask);
    }
    if (event.type != MapNotify && event.type != CreateNotify)
      continue;
    for (const Window window : candidates) {
      if (Viewable(display, window) && WindowPid(display, window, pidAtom) == child) {
        viewableAt = NowMs();
        break;
      }
    }
  }

  // A moment for the first paint, so the peak memory includes it, then the program ends.
  if (viewableAt >= 0)
    usleep(300000);
  kill(child, SIGTERM);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  XCloseDisplay(display);
  if (viewableAt < 0) {
    std::fprintf(stderr, "window_timer: no window of %s became viewable\n", argv[1]);
    return 1;
  }
  std::printf("%.3f %ld\n", viewableAt - start, usage.ru_maxrss);
  return 0;
}
