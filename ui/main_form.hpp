// MainForm: the program's one window, its status label ActionLab and the serial
// control SerCom that it hosts. Every user reaches them through MainForm(),
// which creates the single instance on first use.
#pragma once

#include <functional>
#include <memory>
#include <string_view>

#include "meter/serial_control.hpp"
#include "ui/window.hpp"

namespace ui {

class Form {
public:
    Form(std::unique_ptr<Window> window, std::unique_ptr<meter::SerialControl> serCom);

    // Runs the load step on the first call, then shows the window.
    void Show();
    void Repaint();       // the whole window
    void RepaintLabel();  // ActionLab alone

    // Appends to the status text: reads ActionLab's caption, concatenates,
    // sets the result. Nothing is trimmed or cut.
    void AppendStatus(std::string_view text);

    meter::SerialControl& SerCom() { return *serCom_; }
    bool OnDisplay() const { return window_->OnDisplay(); }

private:
    void EnsureLoaded();

    std::unique_ptr<Window> window_;
    std::unique_ptr<meter::SerialControl> serCom_;
    bool loaded_ = false;
};

// The form of this session, the platform's window around the given serial
// control: what MainForm() creates, with MakeSerialControl().
std::unique_ptr<Form> MakeForm(std::unique_ptr<meter::SerialControl> serCom);

// The accessor: creates MainForm on first use and returns the one instance.
Form& MainForm();
// The instance when it has been created, without creating it; else null.
Form* ExistingMainForm();

// Replaces how MainForm is created (the driver's recorder under SerCom,
// tests); takes effect at the next first use.
// ResetMainForm destroys the present instance.
using FormFactory = std::function<std::unique_ptr<Form>()>;
void SetFormFactory(FormFactory factory);
void ResetMainForm();

}  // namespace ui
