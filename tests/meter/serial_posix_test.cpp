// The query transaction over the real POSIX serial control, with a meter on
// the far end of a pseudo terminal.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <functional>
#include <initializer_list>
#include <memory>
#include <thread>
#include <vector>

#include "meter/port_map_posix.hpp"
#include "meter/query.hpp"
#include "pty_peer.hpp"
#include "station/config_dirs.hpp"

namespace {

using meter::SerialError;
using meter_test::PtyPeer;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

std::string Repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

class RealPort : public testing::Test {
protected:
    void SetUp() override {
        ports_.Map(7, meter_.Path());
        port_->SetCommPort(7);
    }

    // Runs the meter's side of one transaction next to SendQuery.
    std::string Query(const std::function<void(PtyPeer&)>& meterSide) {
        std::jthread peer([&] { meterSide(meter_); });
        return meter::SendQuery(*port_, "QM");
    }

    meter_test::PortNamespace ports_;
    PtyPeer meter_;
    std::unique_ptr<meter::SerialControl> port_ = meter::MakeSerialControl();
};

TEST_F(RealPort, OnePieceReply) {
    const std::string reply = Query([](PtyPeer& meter) {
        EXPECT_EQ(meter.NextCommand(3), "QM\r");
        meter.Send("0\r+1.2345 kOhms\r");
    });
    EXPECT_EQ(reply, "0\r+1.2345 kOhms\r");
    EXPECT_FALSE(port_->PortOpen());
    EXPECT_EQ(meter_.Drain(), "");
}

TEST_F(RealPort, PiecesAreAppendedInOrder) {
    const std::string reply = Query([](PtyPeer& meter) {
        meter.NextCommand(3);
        for (const char* piece : {"+1.2", "345 k", "Ohms\r"}) {
            meter.Send(piece);
            meter.WaitUntilRead();
        }
    });
    EXPECT_EQ(reply, "+1.2345 kOhms\r");
}

TEST_F(RealPort, InputWaitingBeforeTheQueryIsNeverPartOfTheReply) {
    meter_.Send("stale\r");
    const std::string reply = Query([](PtyPeer& meter) {
        meter.NextCommand(3);
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // after the first pause
        meter.Send("A\r");
    });
    EXPECT_EQ(reply, "A\r");
}

TEST_F(RealPort, BytesWaitingWhenTheWaitEndsReplaceTheText) {
    const std::string reply = Query([](PtyPeer& meter) {
        meter.NextCommand(3);
        meter.Send("A\r");
        meter.WaitUntilRead();  // the control is now in its pause
        meter.Send("B\r");
    });
    EXPECT_EQ(reply, "B\r");
    EXPECT_EQ(meter_.Drain(), "");
}

TEST_F(RealPort, BabblingPeerEndsWithinTheBound) {
    std::string reply;
    double seconds = 0;
    {
        std::jthread babble([this](const std::stop_token& stop) {
            while (!stop.stop_requested()) {
                meter_.SendSome("babble ");
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            }
        });
        const auto start = Clock::now();
        reply = meter::SendQuery(*port_, "QM");
        seconds = SecondsSince(start);
    }
    EXPECT_EQ(reply.find('\r'), std::string::npos);
    EXPECT_LT(seconds, 3.0);  // the text ceiling ends each wait long before the time ceiling
    EXPECT_EQ(meter_.Drain(), Repeat("QM\r", 5));
}

// Opening sets the line to 9600 baud, 8 data bits, no parity, 1 stop bit, no
// flow control, raw, whatever it was before; every byte then passes as it is.
TEST_F(RealPort, OpenSetsTheLineAndEveryByteValuePassesUnchangedBothWays) {
    std::string all;
    for (int code = 0; code < 256; ++code) all += static_cast<char>(code);
    meter_.Cook();
    port_->SetPortOpen(true);
    const termios line = meter_.Line();
    EXPECT_EQ(cfgetispeed(&line), B9600);
    EXPECT_EQ(cfgetospeed(&line), B9600);
    EXPECT_EQ(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t{CS8});
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF), 0u);
    port_->Output(all);
    EXPECT_EQ(meter_.Receive(all.size(), 3), all);

    meter_.Send(all);
    const auto start = Clock::now();
    while (port_->InBufferCount() < 256 && SecondsSince(start) < 3) {
    }
    EXPECT_EQ(port_->Input(), all);
}

TEST_F(RealPort, PortThatCannotBeOpenedRaisesAtOnce) {
    ports_.Map(9, ports_.Root() / "unplugged");
    port_->SetCommPort(9);
    const auto start = Clock::now();
    try {
        meter::SendQuery(*port_, "QM");
        FAIL() << "no error";
    } catch (const SerialError& error) {
        EXPECT_NE(std::string(error.what()).find((ports_.Dir() / "COM9").string()),
                  std::string::npos);
        EXPECT_NE(std::string(error.what()).find(std::strerror(ENOENT)), std::string::npos);
    }
    EXPECT_LT(SecondsSince(start), 0.5);
    EXPECT_FALSE(port_->PortOpen());
}

// The master side of a pseudo terminal is a terminal that is no pseudo-terminal
// slave, and its driver answers the modem-line request with ENOTTY, like a
// serial adapter without DTR and RTS: the port opens all the same.
TEST_F(RealPort, DeviceWithoutModemLinesStillOpens) {
    ports_.Map(9, "/dev/ptmx");
    port_->SetCommPort(9);
    ASSERT_NO_THROW(port_->SetPortOpen(true));
    EXPECT_TRUE(port_->PortOpen());
    EXPECT_EQ(port_->InBufferCount(), 0);
    port_->SetPortOpen(false);
}

TEST_F(RealPort, SecondOpenIsRefusedWhileTheFirstHoldsThePort) {
    const auto other = meter::MakeSerialControl();
    other->SetCommPort(7);
    port_->SetPortOpen(true);
    try {
        other->SetPortOpen(true);
        FAIL() << "second open allowed";
    } catch (const SerialError& error) {
        EXPECT_NE(std::string(error.what()).find("in use"), std::string::npos);
    }
    port_->SetPortOpen(false);
    other->SetPortOpen(true);
    EXPECT_TRUE(other->PortOpen());
}

TEST_F(RealPort, HangUpRaisesOnReading) {
    port_->SetPortOpen(true);
    meter_.HangUp();
    EXPECT_THROW(port_->Input(), SerialError);
    EXPECT_THROW(port_->InBufferCount(), SerialError);
}

TEST(SerialControl, PortNumberOutsideOneTo255IsRefusedAndKeepsTheOld) {
    const auto port = meter::MakeSerialControl();
    EXPECT_EQ(port->CommPort(), 1);
    for (const std::int16_t good : std::initializer_list<std::int16_t>{255, 1}) {
        port->SetCommPort(good);
        EXPECT_EQ(port->CommPort(), good);
    }
    for (const std::int16_t bad : std::initializer_list<std::int16_t>{0, -1, 256, 32767}) {
        EXPECT_THROW(port->SetCommPort(bad), SerialError);
        EXPECT_EQ(port->CommPort(), 1);
    }
}

TEST(SerialControl, ClosedPortRaisesOnUse) {
    const auto port = meter::MakeSerialControl();
    port->SetPortOpen(false);
    EXPECT_THROW(port->Output("QM\r"), SerialError);
    EXPECT_THROW(port->Input(), SerialError);
    EXPECT_THROW(port->InBufferCount(), SerialError);
    EXPECT_THROW(port->SetInputLen(-1), SerialError);
}

TEST(PortPath, MappingDirectoryFirstThenTheUsualDevice) {
    meter_test::PortNamespace ports;
    EXPECT_EQ(meter::PortPath(7), "/dev/ttyS6");
    ports.Map(7, "/dev/ttyUSB0");
    ports.Map(8, ports.Root() / "unplugged");  // a dangling entry still counts
    EXPECT_EQ(meter::PortPath(7), (ports.Dir() / "COM7").string());
    EXPECT_EQ(meter::PortPath(8), (ports.Dir() / "COM8").string());
    EXPECT_EQ(meter::PortPath(9), "/dev/ttyS8");

    // Without XDG_CONFIG_HOME the mapping lives under ~/.config.
    const meter_test::ScopedEnv config("XDG_CONFIG_HOME", "");
    const meter_test::ScopedEnv home("HOME", ports.Root().string());
    EXPECT_EQ(meter::PortPath(7), "/dev/ttyS6");
    std::filesystem::create_directories(ports.Root() / ".config" / "quillet");
    std::filesystem::create_directory_symlink(ports.Dir(), ports.Root() / ".config/quillet/ports");
    EXPECT_EQ(meter::PortPath(7), (ports.Root() / ".config/quillet/ports/COM7").string());
}

TEST(PortPath, StationMapBeforeTheUsersOwnBeforeTheUsualDevice) {
    namespace fs = std::filesystem;
    meter_test::PortNamespace ports;
    const auto link = [](const fs::path& dir, int port, const fs::path& target) {
        fs::create_directories(dir);
        fs::create_symlink(target, dir / ("COM" + std::to_string(port)));
    };
    link(ports.StationDir(1), 3, "/dev/ttyUSB3");
    link(ports.StationDir(2), 3, "/dev/ttyUSB9");
    link(ports.StationDir(2), 4, "/dev/ttyUSB4");
    link(ports.StationDir(1), 6, ports.Root() / "unplugged");  // dangling: still counts

    const auto station = meter::PortSource::StationMap;
    EXPECT_EQ(meter::ResolvePort(3).path, (ports.StationDir(1) / "COM3").string());
    EXPECT_EQ(meter::ResolvePort(3).source, station);
    EXPECT_EQ(meter::ResolvePort(4).path, (ports.StationDir(2) / "COM4").string());
    EXPECT_EQ(meter::ResolvePort(6).path, (ports.StationDir(1) / "COM6").string());
    EXPECT_EQ(meter::ResolvePort(5).path, "/dev/ttyS4");
    EXPECT_EQ(meter::ResolvePort(5).source, meter::PortSource::Default);

    // A station's entry wins over the user's own; the user's maps the rest.
    ports.Map(3, "/dev/ttyACM0");
    ports.Map(5, "/dev/ttyACM0");
    EXPECT_EQ(meter::ResolvePort(3).source, station);
    EXPECT_EQ(meter::ResolvePort(5).source, meter::PortSource::UserMap);

    // Relative entries of the list are ignored.
    const meter_test::ScopedEnv relative("XDG_CONFIG_DIRS", "relative/dir");
    EXPECT_EQ(meter::ResolvePort(4).path, "/dev/ttyS3");
    // /etc/xdg is read first whatever the list says, and only once.
    for (const char* list : {"", "/etc/xdg", "relative/dir"}) {
        const meter_test::ScopedEnv dirs("XDG_CONFIG_DIRS", list);
        const auto found = station::ConfigDirectories();
        ASSERT_EQ(found.size(), 2U) << list;
        EXPECT_EQ(found.front().path, "/etc/xdg/quillet") << list;
    }
}

}  // namespace
