// The Win32 serial control against meter-sim on the port QUILLET_TEST_PORT
// (tests/win/serial_peer.sh maps it), whose every reply holds all 256 byte
// values in order.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "meter/serial_control.hpp"

namespace {

std::int16_t TestPort() {
    const char* port = std::getenv("QUILLET_TEST_PORT");
    return static_cast<std::int16_t>(port ? std::atoi(port) : 0);
}

std::string EveryByte() {
    std::string bytes;
    for (int value = 0; value < 256; ++value) bytes += static_cast<char>(value);
    return bytes;
}

TEST(Win32Serial, EveryByteValuePassesUnchangedInBoundedReads) {
    ASSERT_NE(TestPort(), 0) << "QUILLET_TEST_PORT not set";
    auto port = meter::MakeSerialControl();
    port->SetCommPort(TestPort());
    port->SetPortOpen(true);
    port->Output("QM\r");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    // The count of waiting bytes is exact: the whole reply, before any read.
    while (port->InBufferCount() < 256 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(port->InBufferCount(), 256);
    port->SetInputLen(100);
    std::string got;
    while (got.size() < 256 && std::chrono::steady_clock::now() < deadline) {
        const std::string piece = port->Input();
        EXPECT_LE(piece.size(), 100u);
        got += piece;
    }
    EXPECT_EQ(got, EveryByte());
    EXPECT_EQ(port->InBufferCount(), 0);
    port->SetPortOpen(false);
    EXPECT_FALSE(port->PortOpen());
}

// serial_peer.sh's third step starts meter-sim with bytes it sends before
// anyone opens the port: the open discards them.
TEST(Win32Serial, OpenDiscardsWhatArrivedBefore) {
    if (!std::getenv("QUILLET_STALE_TEST")) GTEST_SKIP() << "run by serial_peer.sh's third step";
    auto port = meter::MakeSerialControl();
    port->SetCommPort(TestPort());
    port->SetPortOpen(true);
    EXPECT_EQ(port->InBufferCount(), 0);
    EXPECT_EQ(port->Input(), "");
    port->SetPortOpen(false);
}

// serial_peer.sh stops meter-sim once it has received the query: the next
// read must fail instead of returning nothing for ever.
TEST(Win32Serial, PeerThatHungUpIsAnError) {
    if (!std::getenv("QUILLET_HANGUP_TEST")) GTEST_SKIP() << "run by serial_peer.sh's second step";
    auto port = meter::MakeSerialControl();
    port->SetCommPort(TestPort());
    port->SetPortOpen(true);
    port->Output("QM\r");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    bool failed = false;
    while (!failed && std::chrono::steady_clock::now() < deadline) {
        try {
            port->Input();
        } catch (const meter::SerialError& error) {
            failed = true;
            EXPECT_NE(std::string(error.what()).find("\\\\.\\COM"), std::string::npos)
                << error.what();
        }
    }
    EXPECT_TRUE(failed) << "reads went on without an error after the peer hung up";
}

TEST(Win32Serial, OpenFailureNamesThePortAndTheSystemsReason) {
    auto port = meter::MakeSerialControl();
    port->SetCommPort(200);  // no such port in the test prefix
    try {
        port->SetPortOpen(true);
        FAIL() << "the open succeeded";
    } catch (const meter::SerialError& error) {
        const std::string text = error.what();
        EXPECT_NE(text.find("\\\\.\\COM200: open: "), std::string::npos) << text;
        EXPECT_NE(text.find("(error "), std::string::npos) << text;
    }
    EXPECT_FALSE(port->PortOpen());
}

TEST(Win32Serial, PortNumbersOutsideTheRangeAreRefusedAndTheSelectionKept) {
    auto port = meter::MakeSerialControl();
    port->SetCommPort(12);
    EXPECT_THROW(port->SetCommPort(0), meter::SerialError);
    EXPECT_THROW(port->SetCommPort(256), meter::SerialError);
    EXPECT_EQ(port->CommPort(), 12);
    EXPECT_THROW(port->Input(), meter::SerialError);  // not open
}

}  // namespace
