// meter-sim as a separate process, queried through the real serial control.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "meter/query.hpp"
#include "pty_peer.hpp"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// A running meter-sim with its standard output and error on pipes.
class SimProcess {
public:
    explicit SimProcess(std::vector<std::string> args) {
        args.insert(args.begin(), METER_SIM_PATH);
        std::vector<char*> argv;
        argv.reserve(args.size() + 1);
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        int out[2], err[2];
        EXPECT_EQ(pipe(out), 0);
        EXPECT_EQ(pipe(err), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        EXPECT_EQ(posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        close(err_);
    }

    // Standard output up to the first line end (the device path), or all of
    // it once the process has ended.
    std::string ReadLine() { return Read(out_, true); }
    std::string ReadAll() { return Read(out_, false); }
    std::string Errors() { return Read(err_, false); }

    // The exit status once the process ends within the time, else -1.
    int Wait(double seconds) {
        const auto deadline = Clock::now() + std::chrono::duration<double>(seconds);
        int status = 0;
        while (waitpid(pid_, &status, WNOHANG) == 0) {
            if (Clock::now() > deadline) return -1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    int Stop() {
        kill(pid_, SIGTERM);
        return Wait(3);
    }

private:
    static std::string Read(int fd, bool oneLine) {
        std::string text;
        pollfd ready{fd, POLLIN, 0};
        char c;
        while (poll(&ready, 1, 3000) > 0 && read(fd, &c, 1) == 1) {
            if (oneLine && c == '\n') break;
            text += c;
        }
        return text;
    }

    pid_t pid_ = 0;
    int out_ = -1;
    int err_ = -1;
};

std::vector<std::string> ReadLines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

class MeterSim : public testing::Test {
protected:
    // Starts meter-sim published as COM5 and waits until it is ready.
    SimProcess& Start(std::vector<std::string> args) {
        args.insert(args.end(), {"--port-dir", ports_.Dir().string(), "--port", "5"});
        sim_.emplace(args);
        device_ = sim_->ReadLine();
        port_->SetCommPort(5);
        return *sim_;
    }

    meter_test::PortNamespace ports_;
    std::optional<SimProcess> sim_;
    std::string device_;
    std::unique_ptr<meter::SerialControl> port_ = meter::MakeSerialControl();
};

TEST_F(MeterSim, PublishesAnswersLogsAndCleansUp) {
    const fs::path log = ports_.Root() / "meter.log";
    SimProcess& sim = Start({"--log", log.string()});
    EXPECT_EQ(fs::read_symlink(ports_.Dir() / "COM5"), device_);

    port_->SetPortOpen(true);
    port_->Output("XY\r");  // not a query: logged, not answered
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(port_->InBufferCount(), 0);
    port_->SetPortOpen(false);
    EXPECT_EQ(meter::SendQuery(*port_, "QM"), "0\r+1.2345 kOhms\r");

    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports_.Dir() / "COM5")));
    const auto lines = ReadLines(log);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(lines[0].ends_with(" XY\\r")) << lines[0];
    EXPECT_TRUE(lines[1].ends_with(" QM\\r")) << lines[1];
}

TEST_F(MeterSim, RepliesByQueryNumberAfterUnsolicitedBytes) {
    // Query 2 falls back to --reading between two queries of their own.
    Start({"--unsolicited", "junk\\r", "--reading", "R\\x21\\r", "--reply", "1=+1.2345 kOhms\\r",
           "--reply", "3=C\\r"});
    EXPECT_EQ(meter::SendQuery(*port_, "QM"), "+1.2345 kOhms\r");
    EXPECT_EQ(meter::SendQuery(*port_, "QM"), "R!\r");
    EXPECT_EQ(meter::SendQuery(*port_, "QM"), "C\r");
}

TEST_F(MeterSim, DelayedReplyInPieces) {
    Start({"--reading", "ABCDEF\\r", "--delay", "0.3", "--pieces", "3", "--piece-gap", "0.25"});
    port_->SetPortOpen(true);
    port_->Output("QM\r");
    const auto start = Clock::now();
    std::vector<std::pair<double, std::string>> pieces;
    while (pieces.size() < 3 && Clock::now() - start < std::chrono::seconds(3)) {
        if (port_->InBufferCount() > 0) {
            const double at = std::chrono::duration<double>(Clock::now() - start).count();
            pieces.emplace_back(at, port_->Input());
        }
    }
    ASSERT_EQ(pieces.size(), 3u);
    const double expected[] = {0.3, 0.55, 0.8};
    const char* text[] = {"AB", "CD", "EF\r"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(pieces[i].second, text[i]);
        EXPECT_NEAR(pieces[i].first, expected[i], 0.1);
    }
}

TEST_F(MeterSim, SilentAndBabblingMeters) {
    {
        Start({"--silent"});
        port_->SetPortOpen(true);
        port_->Output("QM\r");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        EXPECT_EQ(port_->InBufferCount(), 0);
        port_->SetPortOpen(false);
    }
    sim_.reset();  // a killed simulator leaves its link behind, for the next to refuse
    fs::remove(ports_.Dir() / "COM5");
    Start({"--babble", "ab"});
    port_->SetPortOpen(true);
    port_->Input();
    const auto drained = Clock::now();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::string babble = port_->Input();
    // About 960 characters a second, the line rate, for as long as the wait
    // really took: half of that at least, a quarter more at most.
    const double rate = 960 * std::chrono::duration<double>(Clock::now() - drained).count();
    EXPECT_GT(static_cast<double>(babble.size()), rate / 2);
    EXPECT_LT(static_cast<double>(babble.size()), rate * 1.25 + 16);
    EXPECT_EQ(babble.find("aa"), std::string::npos);
    EXPECT_EQ(babble.find("bb"), std::string::npos);
}

TEST_F(MeterSim, CountEndsItOnceThePortIsClosed) {
    SimProcess& sim = Start({"--count", "1"});
    EXPECT_EQ(meter::SendQuery(*port_, "QM"), "0\r+1.2345 kOhms\r");
    EXPECT_EQ(sim.Wait(3), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(ports_.Dir() / "COM5")));
}

TEST_F(MeterSim, NeverReplacesAnEntryItDidNotMakeNorPublishesABadReplay) {
    const fs::path entry = ports_.Dir() / "COM5";
    const std::vector<std::string> publish = {"--port-dir", ports_.Dir().string(), "--port", "5"};
    fs::create_directories(ports_.Dir());
    for (const std::string target : {"/dev/serial/by-id/unplugged", "/dev/null"}) {
        SCOPED_TRACE(target);
        fs::create_symlink(target, entry);
        SimProcess sim(publish);
        EXPECT_EQ(sim.Wait(3), 1);
        EXPECT_EQ(sim.ReadAll(), "");
        EXPECT_EQ(sim.Errors(), "quillet-meter-sim: " + entry.string() +
                                    " already exists and is left as it is; choose another --port\n");
        EXPECT_EQ(fs::read_symlink(entry), target);
        fs::remove(entry);
    }
    const fs::path journal = ports_.Root() / "journal.jsonl";
    std::ofstream(journal) << "{\"queries\":\"none\"}\n";
    std::vector<std::string> replay = publish;
    replay.insert(replay.end(), {"--replay", journal.string()});
    SimProcess sim(replay);
    EXPECT_EQ(sim.Wait(3), 1);
    EXPECT_EQ(sim.Errors(), "quillet-meter-sim: " + journal.string() + ", job 1: queries: not an array\n");
    EXPECT_FALSE(fs::exists(fs::symlink_status(entry)));
}

TEST(MeterSimCommandLine, BadOptionsGetAClearErrorAndStatus2) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--bogus"},
                                               {"--delay"},
                                               {"--delay", "soon"},
                                               {"--pieces", "0"},
                                               {"--reply", "1"},
                                               {"--reply", "0=x"},
                                               {"--reading", "\\q"},
                                               {"--port", "256", "--port-dir", "/tmp"},
                                               {"--port", "5"},
                                               {"extra"}}) {
        SCOPED_TRACE(args[0]);
        SimProcess sim(args);
        EXPECT_EQ(sim.Wait(3), 2);
        EXPECT_EQ(sim.ReadAll(), "");
        EXPECT_TRUE(sim.Errors().starts_with("quillet-meter-sim: "));
    }
    SimProcess help({"--help"});
    EXPECT_EQ(help.Wait(3), 0);
    EXPECT_TRUE(help.ReadAll().starts_with("Usage: quillet-meter-sim"));
}

}  // namespace
