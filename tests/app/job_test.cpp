// The job driver as a whole, with a scripted window and serial control. Main
// ends the process, so each job runs in a child process (death-test style) and
// leaves what it did in the job directory for the test to read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/cal_mod.hpp"
#include "app/port_number.hpp"
#include "app/record.hpp"
#include "app/take_reading.hpp"
#include "common/job_status.hpp"
#include "ui/main_form.hpp"

namespace fs = std::filesystem;

namespace {

// Keeps the label caption in memory and mirrors it to status.txt, so the
// parent process can read the status text after the child has ended; notes
// each repaint, "window" or "label", as a line of repaints.txt. A failing
// window refuses to show and to repaint.
class FileWindow : public ui::Window {
public:
    explicit FileWindow(bool failing) : failing_(failing) {}
    void Load() override {}
    void Show() override {
        if (failing_) throw std::runtime_error("show failed");
    }
    void Repaint() override { Note("window"); }
    void RepaintLabel() override { Note("label"); }
    std::string LabelCaption() const override { return caption_; }
    void SetLabelCaption(const std::string& text) override {
        caption_ = text;
        std::ofstream("status.txt", std::ios::binary | std::ios::trunc) << caption_;
    }

private:
    void Note(const char* repaint) const {
        std::ofstream("repaints.txt", std::ios::binary | std::ios::app) << repaint << "\n";
        if (failing_) throw std::runtime_error("repaint failed");
    }

    bool failing_;
    std::string caption_;
};

// A port on which every write is answered at once with the scripted reply: the
// first write with the first reply, and so on; the last one is repeated.
class ScriptedPort : public meter::SerialControl {
public:
    ScriptedPort(std::vector<std::string> replies, bool openFails)
        : replies_(std::move(replies)), openFails_(openFails) {}
    void SetCommPort(std::int16_t port) override {
        if (port < meter::MinPort || port > meter::MaxPort) throw meter::SerialError("bad port");
        port_ = port;
        std::ofstream("port.txt") << port_;
    }
    std::int16_t CommPort() const override { return port_; }
    void SetPortOpen(bool open) override {
        if (open && openFails_) throw meter::SerialError("cannot open");
        open_ = open;
    }
    bool PortOpen() const override { return open_; }
    void Output(std::string_view) override {
        waiting_ = replies_[std::min(writes_++, replies_.size() - 1)];
    }
    void SetInputLen(int) override {}
    int InBufferCount() override { return static_cast<int>(waiting_.size()); }
    std::string Input() override { return std::exchange(waiting_, {}); }

private:
    std::vector<std::string> replies_;
    std::size_t writes_ = 0;
    bool openFails_;
    std::int16_t port_ = 1;
    bool open_ = false;
    std::string waiting_;
};

struct Job {
    std::string reply;
    bool openFails = false;
    bool windowFails = false;
};

class JobDriver : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        dir_ = fs::temp_directory_path() /
               ("quillet-job-" +
                std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        // On Windows a death test's child process runs this again while the
        // directory is the parent's working directory, which cannot be
        // removed; emptying it is enough.
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
        fs::create_directories(dir_);
        fs::current_path(dir_);
        // The job reads the station's settings: only the test's own, none.
#ifdef _WIN32
        _putenv_s("APPDATA", dir_.string().c_str());
        _putenv_s("ProgramData", dir_.string().c_str());
#else
        setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
        setenv("XDG_CONFIG_DIRS", dir_.c_str(), 1);
#endif
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }

    static void PrepareRecord(std::string_view target, std::string_view port) {
        CalMod::ExtCtrlRec rec;
        rec.Text1 = CalMod::FieldText<20>("host \x80\xFF");
        rec.TargetText = CalMod::FieldText<20>(target);
        rec.Number14 = 14;
        rec.Number15 = -15;
        rec.PortName = CalMod::FieldText<5>(port);
        const auto bytes = CalMod::EncodeRecord(rec);
        std::ofstream(CalMod::ExchangeFileName, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

    // Runs Main in a child process with the scripted stand-ins; it must exit 0.
    static void RunJob(const Job& job) {
        EXPECT_EXIT(
            {
                ui::SetFormFactory([job] {
                    return std::make_unique<ui::Form>(
                        std::make_unique<FileWindow>(job.windowFails),
                        std::make_unique<ScriptedPort>(std::vector{job.reply}, job.openFails));
                });
                CalMod::Main();
            },
            ::testing::ExitedWithCode(0), "");
    }

    static std::string Slurp(const char* name) {
        std::ifstream in(name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static CalMod::ExtCtrlRec Record() {
        const std::string bytes = Slurp(CalMod::ExchangeFileName);
        EXPECT_EQ(bytes.size(), CalMod::RecordLength);
        return CalMod::DecodeRecord(
            std::span(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()));
    }

    fs::path previous_;
    fs::path dir_;
};

TEST_F(JobDriver, ReadingIsReportedAndWrittenBack) {
    PrepareRecord("1000 Ohms", "COM12");
    RunJob({.reply = "0\r+1.2345 kOhms\r"});
    EXPECT_EQ(Slurp("status.txt"), jobstatus::WithReading("1234.5Ohms"));
    EXPECT_EQ(Slurp("port.txt"), "12");
    // The whole window after it is shown, the label alone while the meter is
    // asked, the whole window after each status line.
    EXPECT_EQ(Slurp("repaints.txt"), "window\nwindow\nlabel\nwindow\nwindow\n");
    const CalMod::ExtCtrlRec rec = Record();
    EXPECT_EQ(CalMod::FieldView(rec.ResultText), "1234.5Ohms          ");
    EXPECT_EQ(rec.Number14, 0);
    EXPECT_EQ(rec.Number15, 0);
    EXPECT_EQ(CalMod::FieldView(rec.Text1),
              CalMod::FieldView(CalMod::FieldText<20>("host \x80\xFF")));
}

TEST_F(JobDriver, UnconvertibleReplyGivesNoReading) {
    PrepareRecord("1 V", "COM1");
    RunJob({.reply = "12.345 V\r"});
    EXPECT_EQ(Slurp("status.txt"), jobstatus::WithoutReading);
    EXPECT_EQ(Slurp("repaints.txt"), "window\nwindow\nlabel\nwindow\n");
    const CalMod::ExtCtrlRec rec = Record();
    EXPECT_EQ(CalMod::FieldView(rec.ResultText), std::string(20, ' '));
    EXPECT_EQ(rec.Number14, 0);
    EXPECT_EQ(rec.Number15, 0);
}

TEST_F(JobDriver, PortThatCannotOpenStillEndsTheJob) {
    PrepareRecord("1 V", "COMX");
    RunJob({.reply = "0.5 V DC\r", .openFails = true});
    EXPECT_EQ(Slurp("status.txt"), jobstatus::WithoutReading);
    EXPECT_FALSE(fs::exists("port.txt"));  // port 0 refused: the stored port stays
    EXPECT_EQ(CalMod::FieldView(Record().ResultText), std::string(20, ' '));
}

TEST_F(JobDriver, WindowThatCannotShowOrRepaintStillGetsTheStatusLines) {
    PrepareRecord("1 V", "COM2");
    RunJob({.reply = "0.5 V DC\r", .windowFails = true});
    // The label-only repaint fails inside the reading step, which is abandoned.
    EXPECT_EQ(Slurp("status.txt"), jobstatus::WithoutReading);
    EXPECT_EQ(Slurp("port.txt"), "2");
    EXPECT_EQ(CalMod::FieldView(Record().ResultText), std::string(20, ' '));
}

// The reading step on its own: the meter answers the two queries differently.
TEST_F(JobDriver, ReadingStepConvertsTheSecondReply) {
    ui::SetFormFactory([] {
        return std::make_unique<ui::Form>(
            std::make_unique<FileWindow>(false),
            std::make_unique<ScriptedPort>(std::vector<std::string>{"1.5 V DC\r", "2.5 V DC\r"},
                                           false));
    });
    EXPECT_EQ(CalMod::TakeReading("1 V"), "2.5V");
    ui::ResetMainForm();
}

TEST(PortNumber, TakesTheNumberAfterTheFirstThreeCharacters) {
    const std::pair<std::string_view, int> cases[] = {
        {"COM1", 1}, {"COM12", 12}, {"COM 7", 7},  {"COM", 0},    {"COMX", 0},   {"", 0},
        {"CO", 0},   {"COM.5", 0},  {"COM1.5", 2}, {"COM2.5", 2}, {"COM-3", -3}, {"XYZ9", 9},
    };
    for (const auto& [name, number] : cases) EXPECT_EQ(CalMod::PortNumber(name), number) << name;
    EXPECT_THROW(CalMod::PortNumber("COM99999"), std::overflow_error);
}

}  // namespace
