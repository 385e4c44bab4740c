// FLTK 1.3 backend on X11.
#include "station/code_page.hpp"
#include "ui/fltk_window.hpp"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>  // fl_display, fl_open_display(Display*), Xlib
#include <X11/Xatom.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <string>

#include "ui/centre.hpp"
#include "ui/meter_icon.hpp"
#include "ui/window.hpp"

namespace ui {
namespace {

constexpr int LabelFontSize = 13;
// FLTK works in screen pixels; the form's design of 15 twips a pixel.
constexpr int PixelsPerInch = 96;
constexpr int Pixels(int twips) {
    return TwipsToPixels(twips, PixelsPerInch);
}
// Longest wait after Show for the window to appear on screen.
constexpr std::chrono::milliseconds MapTimeout{1000};
// Longest wait for the window manager to tell the frame it will draw.
constexpr std::chrono::milliseconds FrameTimeout{500};

// Set when the connection to the X server has broken (the server ended, a
// remote session dropped). Xlib would end the process there; instead the job
// goes on without its window and still writes its result back.
bool DisplayLost = false;

// Xlib's I/O error handler and exit handler: both return, so that Xlib leaves
// the process running. Xlib then treats the connection as dead and makes no
// further requests on it.
int IgnoreIOError(Display*) {
    return 0;
}
void NoteDisplayLost(Display*, void*) {
    DisplayLost = true;
}

// The widths of the frame a window manager draws around a window.
struct Frame {
    long left = 0, right = 0, top = 0, bottom = 0;
};

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

// The frame the window manager will put around a top-level window of the
// given fixed size, asked for before the form is mapped: FLTK creates and maps
// its window in one step, so a stand-in window of the same size and size
// hints, never mapped, carries the request (_NET_REQUEST_FRAME_EXTENTS),
// whose answer is its _NET_FRAME_EXTENTS property. No frame without a window
// manager that answers within FrameTimeout.
Frame FrameOf(int width, int height) {
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

    Frame frame;
    const auto deadline = std::chrono::steady_clock::now() + FrameTimeout;
    for (bool answered = false; !answered && !DisplayLost;) {
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
    if (!DisplayLost &&
        XGetWindowProperty(display, standIn, extents, 0, 4, False, XA_CARDINAL, &type, &format,
                           &count, &remaining, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 4) {
        // Format-32 data comes as longs, whatever their size. Widths beyond
        // X's 16-bit coordinates are no frame.
        const auto* widths = reinterpret_cast<const long*>(data);
        if (std::all_of(widths, widths + 4, [](long w) { return w >= 0 && w <= 0x7FFF; })) {
            frame = Frame{widths[0], widths[1], widths[2], widths[3]};
        }
    }
    if (data != nullptr) XFree(data);
    XDestroyWindow(display, standIn);
    return frame;
}

// The status text as the label draws it: UTF-8, CR as line break, and '@'
// doubled so that FLTK shows it rather than reading it as a symbol.
std::string LabelText(const std::string& statusText) {
    std::string text;
    for (char c : station::RecordTextUtf8(statusText)) {
        if (c == '\r') {
            text += '\n';
        } else if (c == '@') {
            text += "@@";
        } else {
            text += c;
        }
    }
    return text;
}

// An Fl_Window that notes its first drawing, which FLTK does only after the
// server has exposed the window.
class FormWindow final : public Fl_Window {
public:
    using Fl_Window::Fl_Window;
    bool Drawn() const { return drawn_; }

protected:
    void draw() override {
        Fl_Window::draw();
        drawn_ = true;
    }

private:
    bool drawn_ = false;
};

class FltkWindow final : public Window {
public:
    FltkWindow()
        : window_(std::make_unique<FormWindow>(Pixels(ClientWidthTwips), Pixels(ClientHeightTwips),
                                               Caption)) {
        FormWindow& window = *window_;
        label_ = new Fl_Box(Pixels(LabelLeftTwips), Pixels(LabelTopTwips), Pixels(LabelWidthTwips),
                            Pixels(LabelHeightTwips));
        window.end();
        // A flat box clears its own background, so the label can be repainted alone.
        label_->box(FL_FLAT_BOX);
        label_->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP |
                      FL_ALIGN_CLIP);
        label_->labelfont(FL_HELVETICA);
        label_->labelsize(LabelFontSize);
        // The window is only watched: neither its close button nor Escape closes it.
        window.callback([](Fl_Widget*, void*) {});

        const Fl_Pixmap big(MeterIcon32);
        const Fl_Pixmap small(MeterIcon16);
        const Fl_RGB_Image bigImage(&big);
        const Fl_RGB_Image smallImage(&small);
        const Fl_RGB_Image* icons[] = {&bigImage, &smallImage};
        window.icons(icons, 2);  // copies the images
    }

    // Centres the outer size, the window manager's frame included (none
    // without a window manager). FLTK gives its windows static gravity: the
    // position it is given is the client area's, around which the window
    // manager puts the frame.
    void Load() override {
        if (SwitchedToHeadless()) return;
        FormWindow& window = *window_;
        int screenX = 0, screenY = 0, screenWidth = 0, screenHeight = 0;
        Fl::screen_xywh(screenX, screenY, screenWidth, screenHeight, 0);
        const Frame frame = FrameOf(window.w(), window.h());
        if (SwitchedToHeadless()) return;
        const Position position =
            CentredPosition(static_cast<float>(screenWidth), static_cast<float>(screenHeight),
                            static_cast<float>(window.w() + frame.left + frame.right),
                            static_cast<float>(window.h() + frame.top + frame.bottom));
        window.position(static_cast<int>(std::lround(position.Left) + frame.left),
                        static_cast<int>(std::lround(position.Top) + frame.top));
    }

    // Waits until the window is on screen and drawn once, so that the first
    // repaint is not lost. The window has no input controls, so the events
    // handled meanwhile cannot start anything.
    void Show() override {
        if (SwitchedToHeadless()) return;
        FormWindow& window = *window_;
        const int left = window.x();
        const int top = window.y();
        window.show();
        // FLTK creates a new window wholly on the screen; the load step's
        // position stands, also when the window is larger than the screen.
        XMoveWindow(fl_display, fl_xid(&window), left, top);
        const auto deadline = std::chrono::steady_clock::now() + MapTimeout;
        while (!window.Drawn() && !DisplayLost && std::chrono::steady_clock::now() < deadline) {
            Fl::wait(0.02);
            // Fl::wait draws pending damage only before it waits; drawing right
            // after the expose spares a whole wait.
            Fl::flush();
        }
        SwitchedToHeadless();
    }

    void Repaint() override {
        if (SwitchedToHeadless()) return;
        window_->redraw();
        DrawNow();
    }

    void RepaintLabel() override {
        if (SwitchedToHeadless()) return;
        label_->redraw();
        DrawNow();
    }

    std::string LabelCaption() const override { return caption_; }

    void SetLabelCaption(const std::string& text) override {
        if (SwitchedToHeadless()) {
            headless_->SetLabelCaption(text);
        } else {
            label_->copy_label(LabelText(text).c_str());
        }
        caption_ = text;
    }

private:
    // Draws what is damaged and waits until the server has done it, without
    // handling any event. A broken connection shows here, and the status text
    // then goes on in the headless way.
    void DrawNow() {
        Fl::flush();
        XSync(fl_display, False);
        SwitchedToHeadless();
    }

    // Once the display is lost, the status text goes to standard output as in
    // a session without a display, from its beginning, and FLTK is not called
    // again: the window is left undestroyed, since destroying it would talk to
    // the server that is gone.
    bool SwitchedToHeadless() {
        if (headless_) return true;
        if (!DisplayLost) return false;
        static_cast<void>(window_.release());
        headless_ = MakeHeadlessWindow();
        headless_->SetLabelCaption(caption_);
        return true;
    }

    std::unique_ptr<FormWindow> window_;
    Fl_Box* label_;  // owned by the window
    std::string caption_;
    std::unique_ptr<Window> headless_;  // takes over when the display is lost
};

}  // namespace

std::unique_ptr<Window> MakeFltkWindow() {
    if (fl_display == nullptr) {
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr) return nullptr;
        fl_open_display(display);
        XSetIOErrorHandler(IgnoreIOError);
        XSetIOErrorExitHandler(display, NoteDisplayLost, nullptr);
    }
    return std::make_unique<FltkWindow>();
}

}  // namespace ui
