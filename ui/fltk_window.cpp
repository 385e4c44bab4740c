// FLTK 1.3 backend on X11.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Image.H>
#include <FL/Fl_Pixmap.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>  // fl_display, fl_open_display(Display*), Xlib

#include <chrono>
#include <cmath>
#include <string>

#include "ui/centre.hpp"
#include "ui/display_text.hpp"
#include "ui/fltk_window.hpp"
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

// The status text as the label draws it: UTF-8, CR as line break, and '@'
// doubled so that FLTK shows it rather than reading it as a symbol.
std::string LabelText(const std::string& statusText) {
    std::string text;
    for (char c : DisplayText(statusText)) {
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
    FltkWindow() : window_(Pixels(ClientWidthTwips), Pixels(ClientHeightTwips), Caption) {
        label_ = new Fl_Box(Pixels(LabelLeftTwips), Pixels(LabelTopTwips), Pixels(LabelWidthTwips),
                            Pixels(LabelHeightTwips));
        window_.end();
        // A flat box clears its own background, so the label can be repainted alone.
        label_->box(FL_FLAT_BOX);
        label_->align(FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP |
                      FL_ALIGN_CLIP);
        label_->labelfont(FL_HELVETICA);
        label_->labelsize(LabelFontSize);
        // The window is only watched: neither its close button nor Escape closes it.
        window_.callback([](Fl_Widget*, void*) {});

        const Fl_Pixmap big(MeterIcon32);
        const Fl_Pixmap small(MeterIcon16);
        const Fl_RGB_Image bigImage(&big);
        const Fl_RGB_Image smallImage(&small);
        const Fl_RGB_Image* icons[] = {&bigImage, &smallImage};
        window_.icons(icons, 2);  // copies the images
    }

    // The outer size of an X11 window is known only once the window manager
    // has framed it, so the client size stands for it here.
    void Load() override {
        int screenX = 0, screenY = 0, screenWidth = 0, screenHeight = 0;
        Fl::screen_xywh(screenX, screenY, screenWidth, screenHeight, 0);
        const Position position =
            CentredPosition(static_cast<float>(screenWidth), static_cast<float>(screenHeight),
                            static_cast<float>(window_.w()), static_cast<float>(window_.h()));
        window_.position(static_cast<int>(std::lround(position.Left)),
                         static_cast<int>(std::lround(position.Top)));
    }

    // Waits until the window is on screen and drawn once, so that the first
    // repaint is not lost. The window has no input controls, so the events
    // handled meanwhile cannot start anything.
    void Show() override {
        const int left = window_.x();
        const int top = window_.y();
        window_.show();
        // FLTK creates a new window wholly on the screen; the load step's
        // position stands, also when the window is larger than the screen.
        XMoveWindow(fl_display, fl_xid(&window_), left, top);
        const auto deadline = std::chrono::steady_clock::now() + MapTimeout;
        while (!window_.Drawn() && std::chrono::steady_clock::now() < deadline) {
            Fl::wait(0.02);
            // Fl::wait draws pending damage only before it waits; drawing right
            // after the expose spares a whole wait.
            Fl::flush();
        }
    }

    void Repaint() override {
        window_.redraw();
        DrawNow();
    }

    void RepaintLabel() override {
        label_->redraw();
        DrawNow();
    }

    std::string LabelCaption() const override { return caption_; }

    void SetLabelCaption(const std::string& text) override {
        label_->copy_label(LabelText(text).c_str());
        caption_ = text;
    }

private:
    // Draws what is damaged and waits until the server has done it, without
    // handling any event.
    static void DrawNow() {
        Fl::flush();
        XSync(fl_display, False);
    }

    FormWindow window_;
    Fl_Box* label_;  // owned by window_
    std::string caption_;
};

}  // namespace

std::unique_ptr<Window> MakeFltkWindow() {
    if (fl_display == nullptr) {
        Display* display = XOpenDisplay(nullptr);
        if (display == nullptr) return nullptr;
        fl_open_display(display);
    }
    return std::make_unique<FltkWindow>();
}

}  // namespace ui
