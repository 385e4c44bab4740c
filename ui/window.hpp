// The platform window behind MainForm: the form itself with its status label
// ActionLab. Backends: FLTK (a display is available), headless (none is).
#pragma once

#include <memory>
#include <string>

namespace ui {

// Form and label geometry in pixels (the form's design is 15 twips a pixel).
inline constexpr int ClientWidth = 247;
inline constexpr int ClientHeight = 107;
inline constexpr int LabelLeft = 5;
inline constexpr int LabelTop = 6;
inline constexpr int LabelWidth = 236;
inline constexpr int LabelHeight = 97;
inline constexpr const char* Caption = "Quillet Readback Utility";

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

    // The caption of ActionLab (Windows-1252 text, CR as line break).
    virtual std::string LabelCaption() const = 0;
    virtual void SetLabelCaption(const std::string& text) = 0;
};

// The window for this session: FLTK when a display can be opened, headless
// otherwise.
std::unique_ptr<Window> MakeWindow();

// FLTK backend; nullptr when no display can be opened. The display is probed
// before FLTK sees it, because FLTK ends the process when it cannot open one.
std::unique_ptr<Window> MakeFltkWindow();

// Headless backend: writes the status text to standard output as it grows.
std::unique_ptr<Window> MakeHeadlessWindow();

}  // namespace ui
