// The platform window behind MainForm: the form itself with its status label
// ActionLab. Each platform has its own backend (FLTK on Linux, Win32 on
// Windows) and falls back to the headless one when it cannot show a window.
#pragma once

#include <memory>
#include <string>

namespace ui {

// "Readback", not "Reading": the caption the host's users have always seen on
// this window, kept as they know it.
inline constexpr const char* Caption = "Quillet Readback Utility";

// Form and label geometry in twips (1/1440 inch), as the form was designed.
// Each backend converts to pixels with its own pixels per inch: at 96 the
// client area is 247 x 107 and the label 236 x 97 at 5, 6.
inline constexpr int TwipsPerInch = 1440;
inline constexpr int ClientWidthTwips = 3705;
inline constexpr int ClientHeightTwips = 1605;
inline constexpr int LabelLeftTwips = 75;
inline constexpr int LabelTopTwips = 90;
inline constexpr int LabelWidthTwips = 3540;
inline constexpr int LabelHeightTwips = 1455;

// A non-negative length in twips as pixels, halves rounded up.
constexpr int TwipsToPixels(int twips, int pixelsPerInch) {
    return static_cast<int>((static_cast<long long>(twips) * pixelsPerInch + TwipsPerInch / 2) /
                            TwipsPerInch);
}

class Window {
public:
    virtual ~Window() = default;

    // Load step, run once before the window is first shown: centres it.
    virtual void Load() = 0;
    // Makes the window visible, modeless, without an owner; returns at once.
    virtual void Show() = 0;
    // Synchronous repaints: the whole window, or the label alone.
    virtual void Repaint() = 0;
    virtual void RepaintLabel() = 0;

    // Whether the window is shown on a display (the headless one is not).
    virtual bool OnDisplay() const { return true; }

    // The caption of ActionLab (8-bit text as in the record, CR as line break).
    virtual std::string LabelCaption() const = 0;
    virtual void SetLabelCaption(const std::string& text) = 0;
};

// The window for this session: the platform's own when it can be shown,
// headless otherwise. Each platform defines it in its own file.
std::unique_ptr<Window> MakeWindow();

// Headless backend: writes the status text to standard output as it grows.
std::unique_ptr<Window> MakeHeadlessWindow();

}  // namespace ui
