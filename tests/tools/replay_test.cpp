// A journal line read for replay: JSON by its meaning, a read's bytes one a
// character, and one clear line for anything that is not a journal entry.
#include "tools/meter-sim/replay.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// An entry whose second query's one attempt read `bytes` (JSON text).
std::string Entry(const std::string& bytes, const std::string& user = R"("lab")") {
    return R"({"user":)" + user +
           R"(,"queries":[{"attempts":[]},{"attempts":[{"at":0,"written":"QM\r",)" +
           R"("reads":[{"at":0.1,"bytes":)" + bytes + "}]}]}]}";
}

TEST(Replay, ReadsTheLineByItsMeaningAndRefusesWhatIsNoEntry) {
    const std::string micro = "0\r+1 \xB5V\r";
    const struct {
        const char* name;
        std::string line;
        std::string bytes;  // of the one read; empty: refused
        const char* error;  // what the refusal says
    } cases[] = {
        {"raw UTF-8", Entry("\"0\\r+1 \xC2\xB5V\\r\""), micro, ""},
        {"escaped", Entry(R"("0\u000d+1 \u00B5V\u000d")"), micro, ""},
        {"user raw", Entry(R"("A")", "\"Ji\xC5\x99\xC3\xAD \xF0\x9F\x98\x80\""), "A", ""},
        {"user escaped", Entry(R"("A")", R"("Ji\u0159\u00ed \ud83d\ude00")"), "A", ""},
        {"above U+00FF", Entry(R"("\u0159")"), "",
         "queries[1].attempts[0].reads[0].bytes: U+0159 is above U+00FF: not a byte"},
        {"raw above U+00FF", Entry("\"\xC5\x99\""), "",
         "queries[1].attempts[0].reads[0].bytes: U+0159"},
        {"overlong", Entry("\"\xE0\x80\xAF\""), "", "invalid UTF-8"},
        {"lone surrogate", Entry(R"("a")", R"("\ud800")"), "", "surrogate"},
        {"deep", std::string(30000, '[') + std::string(30000, ']'), "", "deeper than 64"},
        {"queries not array", R"({"queries":"none"})", "", "queries: not an array"},
        {"negative time", R"({"queries":[{"attempts":[{"reads":[{"at":-1,"bytes":""}]}]}]})", "",
         "queries[0].attempts[0].reads[0].at: not a number of seconds"},
        {"not JSON", "journal", "", "a value expected at byte 1"},
        {"truncated", Entry(R"("A")").substr(0, 60), "", "at byte 61"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            const meter_sim::ReplayedAnswers answers = meter_sim::ParseReplay(c.line);
            EXPECT_FALSE(c.bytes.empty());
            ASSERT_EQ(answers.size(), 1u);
            ASSERT_EQ(answers[0].size(), 1u);
            EXPECT_EQ(answers[0][0].at, 0.1);
            EXPECT_EQ(answers[0][0].bytes, c.bytes);
        } catch (const std::runtime_error& error) {
            const std::string what = error.what();
            EXPECT_TRUE(c.bytes.empty()) << what;
            EXPECT_NE(what.find(c.error), std::string::npos) << what;
            EXPECT_EQ(what.find('\n'), std::string::npos) << what;
        }
    }
}

}  // namespace
