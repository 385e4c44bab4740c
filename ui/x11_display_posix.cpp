// What the FLTK window asks of the X server directly, through Xlib: a display
// whose loss does not end the process, and the frame a window manager will
// draw around a window before it is mapped.
#include "ui/x11_display_posix.hpp"

#include <FL/x.H>  // fl_display, fl_screen, fl_open_display(Display*), Xlib
#include <X11/Xatom.h>
#include <poll.h>

#include <algorithm>
#include <chrono>

namespace ui {
namespace {

// Longest wait for the window manager to tell the frame it will draw.
constexpr std::chrono::milliseconds FrameTimeout{500};

// Set when the connection to the X server has broken (the server ended, a
// remote session dropped). Xlib would end the process there; instead the job
// goes on without its window and still writes its result back.
bool displayLost = false;

// Xlib's I/O error handler and exit handler: both return, so that Xlib leaves
// the process running. Xlib then treats the connection as dead and makes no
// further requests on it.
int IgnoreIOError(Display*) {
    return 0;
}
void NoteDisplayLost(Display*, void*) {
    displayLost = true;
}

// Whether the running window manager announces the given EWMH feature; false
// without a window manager.
bool WindowManagerSupports(Display* display, ::Window root, const char* feature) {
    const Atom wanted = XInternAtom(display, feature, False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, root, XInternAtom(display, "_NET_SUPPORTED", False), 0, 4096,
                           False, XA_ATOM, &type, &format, &count, &remaining, &data) == Success &&
        type == XA_ATOM && format == 32) {
        const auto* atoms = reinterpret_cast<const Atom*>(data);
        found = std::find(atoms, atoms + count, wanted) != atoms + count;
    }
    if (data != nullptr) XFree(data);
    return found;
}

}  // namespace

bool OpenX11Display() {
    if (fl_display != nullptr) return true;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    fl_open_display(display);
    XSetIOErrorHandler(IgnoreIOError);
    XSetIOErrorExitHandler(display, NoteDisplayLost, nullptr);
    return true;
}

bool X11DisplayLost() {
    return displayLost;
}

X11Frame X11FrameOf(int width, int height) {
    Display* display = fl_display;
    const ::Window root = RootWindow(display, fl_screen);
    if (!WindowManagerSupports(display, root, "_NET_REQUEST_FRAME_EXTENTS")) return {};
    const Atom extents = XInternAtom(display, "_NET_FRAME_EXTENTS", False);
    const ::Window standIn = XCreateSimpleWindow(display, root, 0, 0, static_cast<unsigned>(width),
                                                 static_cast<unsigned>(height), 0, 0, 0);
    XSelectInput(display, standIn, PropertyChangeMask);
    XSizeHints* hints = XAllocSizeHints();
    if (hints != nullptr) {
        hints->flags = PMinSize | PMaxSize;
        hints->min_width = hints->max_width = width;
        hints->min_height = hints->max_height = height;
        XSetWMNormalHints(display, standIn, hints);
        XFree(hints);
    }
    XEvent request{};
    request.xclient.type = ClientMessage;
    request.xclient.window = standIn;
    request.xclient.message_type = XInternAtom(display, "_NET_REQUEST_FRAME_EXTENTS", False);
    request.xclient.format = 32;
    XSendEvent(display, root, False, SubstructureRedirectMask | SubstructureNotifyMask, &request);
    XFlush(display);

    X11Frame frame;
    const auto deadline = std::chrono::steady_clock::now() + FrameTimeout;
    for (bool answered = false; !answered && !displayLost;) {
        XEvent event;
        while (!answered && XCheckTypedWindowEvent(display, standIn, PropertyNotify, &event)) {
            answered = event.xproperty.atom == extents;
        }
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (answered || wait.count() <= 0) break;
        pollfd connection{ConnectionNumber(display), POLLIN, 0};
        poll(&connection, 1, static_cast<int>(std::min<long long>(wait.count(), 10)));
    }
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (!displayLost &&
        XGetWindowProperty(display, standIn, extents, 0, 4, False, XA_CARDINAL, &type, &format,
                           &count, &remaining, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 4) {
        // Format-32 data comes as longs, whatever their size. Widths beyond
        // X's 16-bit coordinates are no frame.
        const auto* widths = reinterpret_cast<const long*>(data);
        if (std::all_of(widths, widths + 4, [](long w) { return w >= 0 && w <= 0x7FFF; })) {
            frame = X11Frame{widths[0], widths[1], widths[2], widths[3]};
        }
    }
    if (data != nullptr) XFree(data);
    XDestroyWindow(display, standIn);
    return frame;
}


}  // namespace ui
