#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "ui/window.hpp"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

TEST(HeadlessWindow, WritesTheStatusTextAsItGrowsAndALineFeedAtTheEnd) {
    CaptureStdout();
    {
        auto window = ui::MakeHeadlessWindow();
        window->Load();
        window->Show();
        window->Repaint();
        window->SetLabelCaption("Reading from 189...\r\r");
        window->RepaintLabel();
        window->SetLabelCaption("Reading from 189...\r\rReading = 5\xB5V\r\r");
        window->SetLabelCaption(window->LabelCaption());
        window->SetLabelCaption(window->LabelCaption() + "Passing reading to Vantor...");
        EXPECT_EQ(window->LabelCaption(),
                  "Reading from 189...\r\rReading = 5\xB5V\r\rPassing reading to Vantor...");
    }
    EXPECT_EQ(GetCapturedStdout(),
              "Reading from 189...\n\nReading = 5\xC2\xB5V\n\nPassing reading to Vantor...\n");
}

TEST(HeadlessWindow, ACaptionThatDoesNotContinueTheOldOneStartsANewLine) {
    CaptureStdout();
    {
        auto window = ui::MakeHeadlessWindow();
        window->SetLabelCaption("Settling...");
        window->SetLabelCaption("Other");
    }
    EXPECT_EQ(GetCapturedStdout(), "Settling...\nOther\n");
}

// Sets or removes DISPLAY for one test and restores it afterwards.
class DisplayVariable {
public:
    explicit DisplayVariable(const char* value) {
        if (const char* old = std::getenv("DISPLAY")) old_ = old;
        if (value != nullptr) {
            setenv("DISPLAY", value, 1);
        } else {
            unsetenv("DISPLAY");
        }
    }
    ~DisplayVariable() {
        if (old_) {
            setenv("DISPLAY", old_->c_str(), 1);
        } else {
            unsetenv("DISPLAY");
        }
    }

private:
    std::optional<std::string> old_;
};

// Reaching the end of these tests at all shows that FLTK did not end the process.
TEST(MakeWindow, ChoosesHeadlessWhenNoDisplayCanBeOpened) {
    for (const char* display : {static_cast<const char*>(nullptr), "", ":4093"}) {
        DisplayVariable variable(display);
        CaptureStdout();
        {
            auto window = ui::MakeWindow();
            ASSERT_NE(window, nullptr);
            window->Show();
            window->SetLabelCaption("Settling...");
        }
        EXPECT_EQ(GetCapturedStdout(), "Settling...\n") << (display ? display : "(unset)");
    }
}

}  // namespace
