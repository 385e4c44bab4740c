#include "ui/main_form.hpp"

#include <string>
#include <utility>

namespace ui {

Form::Form(std::unique_ptr<Window> window, std::unique_ptr<meter::SerialControl> serCom)
    : window_(std::move(window)), serCom_(std::move(serCom)) {}

void Form::Show() {
    EnsureLoaded();
    window_->Show();
}

void Form::Repaint() {
    window_->Repaint();
}

void Form::RepaintLabel() {
    window_->RepaintLabel();
}

void Form::AppendStatus(std::string_view text) {
    std::string caption = window_->LabelCaption();
    caption += text;
    window_->SetLabelCaption(caption);
}

void Form::EnsureLoaded() {
    if (loaded_) return;
    window_->Load();
    loaded_ = true;
}

std::unique_ptr<Form> MakeForm(std::unique_ptr<meter::SerialControl> serCom) {
    return std::make_unique<Form>(MakeWindow(), std::move(serCom));
}

namespace {

std::unique_ptr<Form> MakeDefaultForm() {
    return MakeForm(meter::MakeSerialControl());
}

struct Instance {
    FormFactory factory = MakeDefaultForm;
    std::unique_ptr<Form> form;
};

// Created at the first use, so it is destroyed at process exit before the
// windowing library's own state that was set up earlier.
Instance& TheInstance() {
    static Instance instance;
    return instance;
}

}  // namespace

Form& MainForm() {
    Instance& instance = TheInstance();
    if (!instance.form) instance.form = instance.factory();
    return *instance.form;
}

Form* ExistingMainForm() {
    return TheInstance().form.get();
}

void SetFormFactory(FormFactory factory) {
    TheInstance().factory = std::move(factory);
}

void ResetMainForm() {
    TheInstance().form.reset();
}

}  // namespace ui
