// FLTK 1.3 backend on X11: the form as an FLTK window of fixed size with one
// label. What it asks of the X server directly is in x11_display_posix.cpp.
#include "ui/fltk_window.hpp"

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>  // fl_display, fl_xid, Xlib

#include <chrono>
#include <cmath>
#include <memory>
#include <string>

#include "station/code_page.hpp"
#include "ui/centre.hpp"
#include "ui/meter_icon.hpp"
#include "ui/window.hpp"
#include "ui/x11_display_posix.hpp"

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
        const X11Frame frame = X11FrameOf(window.w(), window.h());
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
        while (!window.Drawn() && !X11DisplayLost() && std::chrono::steady_clock::now() < deadline) {
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
        if (!X11DisplayLost()) return false;
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
    if (!OpenX11Display()) return nullptr;
    return std::make_unique<FltkWindow>();
}

}  // namespace ui
