// The window without a display: the status text goes to standard output as
// it grows, and the window operations have nothing to do.
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>

#include "station/code_page.hpp"
#include "ui/window.hpp"

namespace ui {
namespace {

// Writes the text to standard output at once, as UTF-8, every CR as a line feed.
void Write(std::string_view bytes) {
    std::string text = station::RecordTextUtf8(bytes);
    std::replace(text.begin(), text.end(), '\r', '\n');
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

// Without a display the status text goes to standard output as it grows; the
// window operations have nothing to do.
class HeadlessWindow final : public Window {
public:
    // Standard output may be a pipe that its reader has closed; the status
    // text is then lost, but the job must still finish and write its result.
    HeadlessWindow() {
#ifdef SIGPIPE  // a signal of POSIX systems only
        std::signal(SIGPIPE, SIG_IGN);
#endif
    }

    // The status text has no line break at its end; this closes the last line.
    ~HeadlessWindow() override { Write("\r"); }

    void Load() override {}
    void Show() override {}
    void Repaint() override {}
    void RepaintLabel() override {}
    bool OnDisplay() const override { return false; }

    std::string LabelCaption() const override { return caption_; }

    void SetLabelCaption(const std::string& text) override {
        if (text.starts_with(caption_)) {
            Write(std::string_view(text).substr(caption_.size()));
        } else {
            // A caption that does not continue the old one starts on a line of its own.
            Write("\r" + text);
        }
        caption_ = text;
    }

private:
    std::string caption_;
};

}  // namespace

std::unique_ptr<Window> MakeHeadlessWindow() {
    return std::make_unique<HeadlessWindow>();
}

}  // namespace ui
