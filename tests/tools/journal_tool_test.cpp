// The journal tool on lines made by the writer's own rules: verify names the
// first fault, and show's filters pick the entries asked for.
#include <gtest/gtest.h>

#include "app/port_number.hpp"

#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "tools/journal/show.hpp"
#include "tools/journal/verify.hpp"
#include "tools/journal_lines.hpp"

namespace {

using namespace journal_tool;
using namespace journal_lines;

TEST(JournalVerify, NamesTheFirstLineWhoseOwnCheckFails) {
    using Lines = std::vector<std::string>;
    const std::string before = CalMod::JournalLine(Job(1));
    const struct {
        const char* name;
        std::function<std::string(Lines)> journal;
        std::uint64_t line;  // 0: whole
        const char* fault;
    } cases[] = {
        {"whole, a line written without the lock among them", [](const Lines& l) { return Text(l); }, 0, ""},
        {"one altered byte", [](Lines l) { l[2][l[2].find("1234.5")] = '7'; return Text(l); }, 4,
         "an altered line: its \"prev\" does not match line 3"},
        {"a removed line", [](Lines l) { l.erase(l.begin() + 2); return Text(l); }, 3,
         "a missing line: seq 4 where seq 3 was due (1 line missing"},
        {"the first line removed", [](Lines l) { l.erase(l.begin()); return Text(l); }, 1, "a missing line"},
        {"two lines swapped", [](Lines l) { std::swap(l[2], l[3]); return Text(l); }, 3,
         "lines out of order: seq 4 where seq 3 was due"},
        {"a line moved far down", [](Lines l) { std::swap(l[1], l[4]); return Text(l); }, 2,
         "lines out of order: seq 5 where seq 2 was due"},
        {"a line copied further on", [](Lines l) { l.insert(l.begin() + 4, l[1]); return Text(l); }, 5,
         "lines out of order: seq 2 after seq 4"},
        {"a torn line, the writer's next line after it",
         [](Lines l) { l.resize(3); l[2].resize(40); l.push_back(Append(l, CalMod::JournalLine(Job(4))));
                       return Text(l); }, 3, "a torn line: not whole JSON"},
        {"a torn last line", [](const Lines& l) { const std::string t = Text(l); return t.substr(0, t.size() - 9); },
         5, "a torn line: it ends without a line feed"},
        {"a blank line", [](Lines l) { l.insert(l.begin() + 2, ""); return Text(l); }, 3, "a blank line"},
        {"a line that is no entry", [](Lines l) { l[1] = R"({"seq":2,"prev":null})"; return Text(l); }, 2,
         "a line that is no entry: no \"start\""},
        {"an unchained line", [](Lines l) { l[1] = station::ChainedLine(station::Unchained(), true,
                                                    CalMod::JournalLine(Job(2)));
                                            l[1].pop_back(); return Text(l); }, 2, "an unchained line"},
        {"a line from before the chain",
         [&](const Lines&) { Lines l{before.substr(0, before.size() - 1)};
                      l.push_back(Append(l, CalMod::JournalLine(Job(2)))); return Text(l); }, 1,
         "a line from before the chain"},
        {"no line at all", [](const Lines&) { return std::string(); }, 0, ""},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.journal(Journal(5)));
        const Verdict verdict = Verify(in);
        EXPECT_EQ(verdict.fault ? verdict.fault->line : 0, c.line) << c.name;
        EXPECT_NE(VerdictLine("j", verdict).find(c.line ? c.fault : "entries, whole"), std::string::npos)
            << c.name << ": " << VerdictLine("j", verdict);
    }
    std::istringstream whole(Text(Journal(5)));
    EXPECT_EQ(VerdictLine("journal-2026-12.jsonl", Verify(whole)), "journal-2026-12.jsonl: 5 entries, whole");
}

TEST(JournalShow, FiltersCompareInstantsAndPortsByNumber) {
    const std::string journal = Text(Journal(300)) + "{\"torn\n\n";
    const auto seqs = [&](const Filter& filter) {
        std::istringstream in(journal);
        std::vector<std::uint64_t> found;
        const std::uint64_t passedOver = ForEachMatch(in, filter, [&](const std::string&, const Entry& entry) {
            found.push_back(entry.seq.value_or(0));
        });
        EXPECT_EQ(passedOver, 2u);
        return found;
    };
    const auto at = [](const char* text) { return ParseInstant(text).value(); };
    using Seqs = std::vector<std::uint64_t>;
    EXPECT_EQ(seqs({.seq = 150}), Seqs{150});
    // From midnight at +01:00 to midnight UTC, an hour later: job 25; an hour on, 26 as well.
    EXPECT_EQ(seqs({.since = at("2026-12-02T00:00+01:00"), .until = at("2026-12-02T00:00Z")}), Seqs{25});
    EXPECT_EQ(seqs({.since = at("2026-12-02T00:00+01"), .until = at("2026-12-02 01:00:00.000-0000")}),
              (Seqs{25, 26}));
    EXPECT_EQ(seqs({.since = at("2026-12-13T11:00+01:00")}), (Seqs{300}));
    EXPECT_EQ(seqs({.until = at("2026-12-01T01:00+01:00"), .port = 1}), (Seqs{1}));
    EXPECT_EQ(seqs({.port = 5, .outcome = "not written"}).size(), 5u);  // 11k on COM5 for k = 1, 7, 13, 19, 25
    EXPECT_EQ(seqs({.outcome = "no reading"}).size(), 42u - 3u);        // every 7th, less 77, 154, 231
    EXPECT_EQ(seqs({.seq = 301}), Seqs{});
}

TEST(JournalShow, ReadsTimesAndPortsAsALabWritesThem) {
    for (const char* same : {"2026-12-10T13:30:05.25Z", "2026-12-10T14:30:05.250+01:00",
                             "2026-12-10 08:30:05,250000-0500"}) {
        EXPECT_EQ(ParseInstant(same), 1796909405250000) << same;
    }
    EXPECT_EQ(ParseInstant("2026-12-10Z"), 1796860800000000);
    if (const char* tz = std::getenv("TZ"); tz && std::string(tz).starts_with("CET")) {  // Linux's CTest sets it
        EXPECT_EQ(ParseInstant("2026-12-10T14:30:05.250"), 1796909405250000);  // local time, winter
        EXPECT_EQ(ParseInstant("2026-07-01"), ParseInstant("2026-06-30T22:00Z"));  // and summer
    }
    for (const char* wrong : {"2026-02-29", "2026-12-10T24:00", "2026-12-10T14", "2026-12-10T14:30+1",
                              "2026-12-10T14:30:05.", "2026-12-10x", "10.12.2026", ""}) {
        EXPECT_FALSE(ParseInstant(wrong)) << wrong;
    }
    for (const char* five : {"5", "COM5", "com5", "COM 5", "COM5 ", " 05 "}) EXPECT_EQ(CalMod::NamedPort(five), 5) << five;
    for (const char* none : {"COM0", "COM100", "COM", "", "5x"}) EXPECT_FALSE(CalMod::NamedPort(none)) << none;
}

}  // namespace
