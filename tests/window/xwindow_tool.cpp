// A small X11 helper for the window tests: finds a top-level window by its
// UTF-8 title (exactly it, or it followed by " - " and a document's name),
// reports its client size, and asks it to close the way a window manager's
// close button does (WM_DELETE_WINDOW).
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

// Windows come and go while the tree is walked; a vanished one is no error.
int IgnoreErrors(Display*, XErrorEvent*) { return 0; }

std::string WindowTitle(Display* display, Window window) {
  Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
  Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
  Atom type;
  int format;
  unsigned long count, after;
  unsigned char* data = nullptr;
  std::string title;
  if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
          Success &&
      data) {
    title.assign(reinterpret_cast<char*>(data), count);
    XFree(data);
  }
  return title;
}

// An editor started with a document shows the plain title only until the
// document is read: a search for the plain title alone missed the window
// whenever the name came first.
bool TitleMatches(const std::string& seen, const std::string& title) {
  return seen == title || seen.rfind(title + " - ", 0) == 0;
}

Window FindByTitle(Display* display, Window root, const std::string& title) {
  Window parent, unusedRoot;
  Window* children = nullptr;
  unsigned int count = 0;
  if (!XQueryTree(display, root, &unusedRoot, &parent, &children, &count)) return 0;
  Window found = 0;
  for (unsigned int i = 0; i < count && !found; ++i) {
    if (TitleMatches(WindowTitle(display, children[i]), title)) found = children[i];
    if (!found) found = FindByTitle(display, children[i], title);
  }
  if (children) XFree(children);
  return found;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s find TITLE [SECONDS] | size ID | title ID | close ID\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  if (!display) {
    std::fprintf(stderr, "no display\n");
    return 2;
  }
  XSetErrorHandler(IgnoreErrors);
  const std::string command = argv[1];
  if (command == "find") {
    const double seconds = argc > 3 ? std::atof(argv[3]) : 10.0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      if (Window window = FindByTitle(display, DefaultRootWindow(display), argv[2])) {
        std::printf("%lu\n", window);
        return 0;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return 1;
  }
  const Window window = std::strtoul(argv[2], nullptr, 0);
  if (command == "size") {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes)) return 1;
    std::printf("%d %d\n", attributes.width, attributes.height);
    return 0;
  }
  if (command == "title") {
    std::printf("%s\n", WindowTitle(display, window).c_str());
    return 0;
  }
  if (command == "close") {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    return 0;
  }
  return 2;
}
