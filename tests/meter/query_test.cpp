// The query transaction and the pause on a fake port and a fake clock, so that
// seconds of meter time pass in microseconds.
#include "meter/query.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

using meter::SerialError;

// Advances by a fixed step at every reading. With a step of 1/8 s, Pause(0.1)
// takes two readings and one poll pass three, so the checks of an attempt's
// wait fall at 0.125 + 0.375 k seconds after its start: the sixth at exactly 2.
class StepClock : public meter::Clock {
public:
    double Now() override {
        last_ = next_;
        next_ += Step;
        return last_;
    }
    void SleepFor(double) override {}
    double Last() const { return last_; }

    static constexpr double Step = 0.125;

private:
    double last_ = 0;
    double next_ = 0;
};

// Bytes that reach the port `after` seconds after the write-th query was
// written; write 0 counts from the start of the test, before the port opens.
struct Arrival {
    int write;
    double after;
    std::string bytes;
};

// A meter on a fake port. Time is the clock's latest reading.
class FakePort : public meter::SerialControl {
public:
    FakePort(StepClock& clock, std::vector<Arrival> script)
        : clock_(clock), script_(std::move(script)) {}

    // A byte every `interval` seconds from the start, without end.
    double streamInterval = 0;
    bool failOpen = false;
    int failOnRead = 0;  // the n-th Input raises

    std::vector<std::string> writes;
    std::vector<double> writeTimes;
    int opens = 0;

    void SetCommPort(std::int16_t) override {}
    std::int16_t CommPort() const override { return 1; }
    void SetPortOpen(bool open) override {
        if (open && failOpen) throw SerialError("COM1: open: No such file or directory");
        EXPECT_NE(open, open_) << "opened twice or closed twice";
        open_ = open;
        opens += open ? 1 : 0;
    }
    bool PortOpen() const override { return open_; }
    void Output(std::string_view text) override {
        EXPECT_TRUE(open_);
        writes.emplace_back(text);
        writeTimes.push_back(clock_.Last());
    }
    void SetInputLen(int length) override { EXPECT_EQ(length, 0); }
    int InBufferCount() override {
        EXPECT_TRUE(open_);
        Deliver();
        return static_cast<int>(buffer_.size());
    }
    std::string Input() override {
        EXPECT_TRUE(open_);
        if (++reads_ == failOnRead) throw SerialError("COM1: read: Input/output error");
        Deliver();
        return std::exchange(buffer_, {});
    }

private:
    void Deliver() {
        const double now = clock_.Last();
        for (auto it = script_.begin(); it != script_.end();) {
            const bool written = it->write <= static_cast<int>(writeTimes.size());
            const double base = it->write == 0 || !written ? 0 : writeTimes[it->write - 1];
            if (written && base + it->after <= now) {
                buffer_ += it->bytes;
                it = script_.erase(it);
            } else {
                ++it;
            }
        }
        if (streamInterval > 0) {
            for (; streamed_ < std::floor(now / streamInterval); ++streamed_) buffer_ += 'x';
        }
    }

    StepClock& clock_;
    std::vector<Arrival> script_;
    std::string buffer_;
    double streamed_ = 0;
    bool open_ = false;
    int reads_ = 0;
};

struct Exchange {
    const char* name;
    std::vector<Arrival> script;
    std::string reply;
    int writes;
};

void PrintTo(const Exchange& exchange, std::ostream* out) {
    *out << exchange.name;
}

class SendQueryExchange : public testing::TestWithParam<Exchange> {};

TEST_P(SendQueryExchange, CollectsTheReply) {
    const Exchange& exchange = GetParam();
    StepClock clock;
    FakePort port(clock, exchange.script);
    EXPECT_EQ(meter::SendQuery(port, "QM", clock), exchange.reply);
    EXPECT_EQ(port.writes, std::vector<std::string>(exchange.writes, "QM\r"));
    EXPECT_EQ(port.opens, 1);
    EXPECT_FALSE(port.PortOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Meter, SendQueryExchange,
    testing::Values(
        Exchange{"OnePiece", {{1, 0.3, "0\r+1.2345 kOhms\r"}}, "0\r+1.2345 kOhms\r", 1},
        Exchange{"PiecesInArrivalOrder",
                 {{1, 0.3, "+1.2"}, {1, 0.6, "345 k"}, {1, 1.0, "Ohms\r"}},
                 "+1.2345 kOhms\r",
                 1},
        Exchange{"InputBeforeTheQueryDiscarded", {{0, 0, "stale\r"}, {1, 1.0, "A\r"}}, "A\r", 1},
        Exchange{"ExactlyTwoSecondsDoNotEndTheWait", {{1, 2.2, "A\r"}}, "A\r", 1},
        Exchange{"BytesArrivingAfterTwoSecondsKeepTheWait",
                 {{1, 0.3, "A"}, {1, 2.2, "x"}, {1, 2.6, "y"}, {1, 3.0, "\r"}},
                 "Axy\r",
                 1},
        Exchange{"PartialReplySilenceThenTheRestAfterTheRetry",
                 {{1, 0.3, "+1.23"}, {2, 0.3, "45 kOhms\r"}},
                 "+1.2345 kOhms\r",
                 2},
        Exchange{"BytesWaitingAtTheEndReplaceACompleteText",
                 {{1, 0.3, "A\r"}, {1, 0.6, "B\r"}},
                 "B\r",
                 1},
        Exchange{"ReplacingBytesWithoutCrAreFollowedByARetry",
                 {{1, 0.3, "A\r"}, {1, 0.6, "B"}, {2, 0.3, "C\r"}},
                 "BC\r",
                 2}),
    [](const auto& info) { return std::string(info.param.name); });

std::vector<double> Gaps(const std::vector<double>& times) {
    std::vector<double> gaps;
    for (std::size_t i = 1; i < times.size(); ++i) gaps.push_back(times[i] - times[i - 1]);
    return gaps;
}

TEST(SendQuery, SilentMeterGetsFiveWritesALittleOverTwoSecondsApart) {
    StepClock clock;
    FakePort port(clock, {});
    EXPECT_EQ(meter::SendQuery(port, "QM", clock), "");
    EXPECT_EQ(port.writes, std::vector<std::string>(5, "QM\r"));
    // The first check past 2 s falls at 2.375 s; the next attempt starts at
    // the clock reading after it.
    for (const double gap : Gaps(port.writeTimes)) EXPECT_EQ(gap, 2.5);
    EXPECT_FALSE(port.PortOpen());
}

TEST(SendQuery, AfterTheFifthAttemptReplacingBytesAreReturnedAsTheyAre) {
    StepClock clock;
    std::vector<Arrival> script;
    for (int write = 1; write <= 6; ++write) {
        script.push_back({write, 0.3, "A\r"});
        script.push_back({write, 0.6, "B"});
    }
    FakePort port(clock, script);
    EXPECT_EQ(meter::SendQuery(port, "QM", clock), "B");
    EXPECT_EQ(port.writes.size(), 5u);
}

// A byte waiting at every check: the length of the text or of the attempt
// must end each wait.
TEST(SendQuery, BabblingPortIsBoundedByBothCeilings) {
    struct Case {
        double interval;
        double minGap, maxGap;
    };
    for (const Case c : {Case{0.0001, 0.0, 1.0}, Case{0.25, meter::AttemptCeiling, 10.5}}) {
        SCOPED_TRACE(c.interval);
        StepClock clock;
        FakePort port(clock, {});
        port.streamInterval = c.interval;
        const std::string reply = meter::SendQuery(port, "QM", clock);
        EXPECT_EQ(reply.find('\r'), std::string::npos);
        EXPECT_EQ(port.writes.size(), 5u);
        for (const double gap : Gaps(port.writeTimes)) {
            EXPECT_GT(gap, c.minGap);
            EXPECT_LT(gap, c.maxGap);
        }
        EXPECT_FALSE(port.PortOpen());
    }
}

TEST(SendQuery, ErrorsPassThroughAndLeaveThePortClosed) {
    StepClock clock;
    FakePort unopenable(clock, {});
    unopenable.failOpen = true;
    EXPECT_THROW(meter::SendQuery(unopenable, "QM", clock), SerialError);
    EXPECT_TRUE(unopenable.writes.empty());

    FakePort failing(clock, {{1, 0.3, "A\r"}});
    failing.failOnRead = 2;  // the first read after the write
    EXPECT_THROW(meter::SendQuery(failing, "QM", clock), SerialError);
    EXPECT_EQ(failing.writes.size(), 1u);
    EXPECT_FALSE(failing.PortOpen());
}

// Returns the listed readings in turn, then the last one again; keeps the sleeps.
class ListClock : public meter::Clock {
public:
    explicit ListClock(std::vector<double> readings) : readings_(std::move(readings)) {}
    double Now() override { return readings_[std::min(calls++, readings_.size() - 1)]; }
    void SleepFor(double seconds) override { sleeps.push_back(seconds); }
    std::size_t calls = 0;
    std::vector<double> sleeps;

private:
    std::vector<double> readings_;
};

TEST(Pause, ReturnsOnceStrictlyMoreThanTheTimeHasPassed) {
    struct Case {
        double seconds;
        std::vector<double> readings;
        std::size_t calls;
        std::vector<double> sleeps;
    };
    for (const Case& c : {Case{0.1, {0, 0.05, 0.1, 0.1000001, 9}, 4, {0.05 - meter::WakeAhead}},
                          Case{0, {5, 5, 5, 5.5, 9}, 4, {}}, Case{-1, {5, 5, 9}, 2, {}}}) {
        SCOPED_TRACE(c.seconds);
        ListClock clock(c.readings);
        meter::Pause(c.seconds, clock);
        EXPECT_EQ(clock.calls, c.calls);
        EXPECT_EQ(clock.sleeps, c.sleeps);
    }
}

// Sleeps may end early or late by the clock; each pause still ends after its time.
TEST(Pause, NeverEndsBeforeItsTimeOnTheRealClock) {
    for (int i = 0; i < 120; ++i) {
        const double seconds = 0.0005 * (i % 12);  // 0 to 5.5 ms
        const double start = meter::SteadyClock().Now();
        meter::Pause(seconds);
        ASSERT_GT(meter::SteadyClock().Now() - start, seconds) << "pause " << i;
    }
}

}  // namespace
