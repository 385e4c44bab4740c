#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fake_serial.hpp"
#include "ui/main_form.hpp"

namespace {

// Records the window operations in order; "caption=<text>" for every set.
class FakeWindow final : public ui::Window {
public:
    explicit FakeWindow(std::vector<std::string>& log) : log_(log) {}

    void Load() override { log_.emplace_back("Load"); }
    void Show() override { log_.emplace_back("Show"); }
    void Repaint() override { log_.emplace_back("Repaint"); }
    void RepaintLabel() override { log_.emplace_back("RepaintLabel"); }
    std::string LabelCaption() const override { return caption; }
    void SetLabelCaption(const std::string& text) override {
        caption = text;
        log_.push_back("caption=" + text);
    }

    std::string caption;

private:
    std::vector<std::string>& log_;
};

class FormTest : public testing::Test {
protected:
    void SetUp() override {
        ui::SetFormFactory([this] {
            ++created;
            auto window = std::make_unique<FakeWindow>(log);
            fake = window.get();
            return std::make_unique<ui::Form>(std::move(window),
                                              std::make_unique<uitest::NullSerialControl>());
        });
    }
    void TearDown() override { ui::ResetMainForm(); }

    std::vector<std::string> log;
    FakeWindow* fake = nullptr;
    int created = 0;
};

TEST_F(FormTest, AccessorCreatesTheFormOnceAndAlwaysReturnsIt) {
    ui::Form& first = ui::MainForm();
    ui::MainForm().AppendStatus("x");
    ui::Form& again = ui::MainForm();
    EXPECT_EQ(&first, &again);
    EXPECT_EQ(&first.SerCom(), &again.SerCom());
    EXPECT_EQ(created, 1);

    ui::ResetMainForm();
    ui::MainForm();
    EXPECT_EQ(created, 2);
}

TEST_F(FormTest, LoadRunsOnceAtTheFirstShowAndNotBefore) {
    ui::Form& form = ui::MainForm();
    form.AppendStatus("a");
    form.Repaint();
    form.RepaintLabel();
    EXPECT_EQ(log, (std::vector<std::string>{"caption=a", "Repaint", "RepaintLabel"}));

    log.clear();
    form.Show();
    form.Show();
    EXPECT_EQ(log, (std::vector<std::string>{"Load", "Show", "Show"}));
}

TEST_F(FormTest, AppendReadsTheCaptionAndKeepsEveryCharacter) {
    ui::Form& form = ui::MainForm();
    form.AppendStatus("  lead\r");
    fake->caption += "[set elsewhere]";
    form.AppendStatus("");
    form.AppendStatus("\r\rtail  ");
    form.AppendStatus(std::string(300, 'z'));
    EXPECT_EQ(fake->caption, "  lead\r[set elsewhere]\r\rtail  " + std::string(300, 'z'));
}

}  // namespace
