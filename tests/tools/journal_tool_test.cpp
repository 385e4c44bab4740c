// The journal tool on lines made by the writer's own rules (the entry's line,
// then the chain's link and leading fields): verify names the first fault,
// show's filters pick the entries asked for, and replay runs a job again
// through the real programs.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "app/journal.hpp"
#include "station/chain.hpp"
#include "tools/journal/show.hpp"
#include "tools/journal/verify.hpp"

namespace {

using namespace journal_tool;

// Job i: one hour after job i - 1 (odd jobs written with +01:00, even ones in
// UTC), on COM1 to COM6, every 7th without a reading, every 11th not written.
CalMod::JournalEntry Job(int i) {
    CalMod::JournalEntry entry;
    const int hour = i - 1, day = 1 + hour / 24;
    char start[64];
    if (i % 2) {
        std::snprintf(start, sizeof start, "2026-12-%02dT%02d:00:00.000+01:00", day, hour % 24);
    } else {
        const int utc = hour + 23;  // one hour earlier, from the day before
        std::snprintf(start, sizeof start, "2026-%02d-%02dT%02d:00:00.000+00:00", utc < 24 ? 11 : 12,
                      utc < 24 ? 30 : utc / 24, utc % 24);
    }
    entry.start = start;
    entry.target = "1000 Ohms           ";
    entry.port = "COM" + std::to_string(1 + (i - 1) % 6) + " ";
    entry.result = i % 7 ? "1234.5Ohms" : "";
    if (i % 11 == 0) entry.notWritten = "ExtCtrl.dat: Permission denied";
    return entry;
}

// The line that the writer appends after `lines` (each without its line feed).
std::string Append(const std::vector<std::string>& lines, const std::string& entryLine,
                   bool locked = true) {
    const station::Link link = station::NextLink(
        lines.empty() ? std::nullopt : std::optional<std::string_view>(lines.back()),
        [&] { return static_cast<std::uint64_t>(lines.size()); });
    std::string line = station::ChainedLine(link, locked, entryLine);
    line.pop_back();  // its line feed
    return line;
}

std::vector<std::string> Journal(int jobs) {
    std::vector<std::string> lines;
    for (int i = 1; i <= jobs; ++i) lines.push_back(Append(lines, CalMod::JournalLine(Job(i)), i != 2));
    return lines;
}

std::string Text(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + '\n';
    return text;
}

TEST(JournalVerify, NamesTheFirstLineWhoseOwnCheckFails) {
    using Lines = std::vector<std::string>;
    const std::string before = CalMod::JournalLine(Job(1));
    const struct {
        const char* name;
        std::function<std::string(Lines)> journal;
        std::uint64_t line;  // 0: whole
        const char* fault;
    } cases[] = {
        {"whole, a line written without the lock among them", [](Lines l) { return Text(l); }, 0, ""},
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
        {"a torn last line", [](Lines l) { const std::string t = Text(l); return t.substr(0, t.size() - 9); },
         5, "a torn line: it ends without a line feed"},
        {"a blank line", [](Lines l) { l.insert(l.begin() + 2, ""); return Text(l); }, 3, "a blank line"},
        {"a line that is no entry", [](Lines l) { l[1] = R"({"seq":2,"prev":null})"; return Text(l); }, 2,
         "a line that is no entry: no \"start\""},
        {"an unchained line", [](Lines l) { l[1] = station::ChainedLine(station::Unchained(), true,
                                                    CalMod::JournalLine(Job(2)));
                                            l[1].pop_back(); return Text(l); }, 2, "an unchained line"},
        {"a line from before the chain",
         [&](Lines) { Lines l{before.substr(0, before.size() - 1)};
                      l.push_back(Append(l, CalMod::JournalLine(Job(2)))); return Text(l); }, 1,
         "a line from before the chain"},
        {"no line at all", [](Lines) { return std::string(); }, 0, ""},
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
    for (const char* wrong : {"2026-02-29", "2026-12-10T24:00", "2026-12-10T14", "2026-12-10T14:30+1",
                              "2026-12-10T14:30:05.", "2026-12-10x", "10.12.2026", ""}) {
        EXPECT_FALSE(ParseInstant(wrong)) << wrong;
    }
    for (const char* five : {"5", "COM5", "com5", "COM 5", "COM5 ", " COM005"}) EXPECT_EQ(PortNumber(five), 5) << five;
    for (const char* none : {"COM0", "COM256", "LPT5", "COM", "", "5x"}) EXPECT_FALSE(PortNumber(none)) << none;
}

// A job whose meter answered both queries at 0.1 s, as job `seq` of a small
// journal, replayed by the real tool in a configuration whose settings name
// a journal: the results compared, that journal never written, and the
// scratch configuration gone.
TEST(JournalReplay, RunsTheJobAgainApartFromTheStation) {
    const std::filesystem::path dir = testing::TempDir() + "journal-replay";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "quillet");
    std::filesystem::create_directories(dir / "tmp");  // the tool's scratch folder goes here
    std::ofstream(dir / "quillet" / "settings") << "journal = " << (dir / "station.jsonl").string() << "\n";
    const auto run = [&](const std::string& result, int seq, std::string& output) {
        CalMod::JournalEntry job = Job(2);
        job.port = "COM7 ";
        job.result = result;
        const std::string reply = "0\r+1.2345 kOhms\r";
        for (int q = 0; q < 2; ++q) {
            job.queries.push_back({"", {{0, "QM\r", {{0.1, reply}}}}});
            job.replies.push_back(reply);
        }
        std::vector<std::string> lines = Journal(1);
        lines.push_back(Append(lines, CalMod::JournalLine(job)));
        lines.push_back(Append(lines, CalMod::JournalLine(Job(3))));
        std::ofstream(dir / "journal.jsonl") << Text(lines);
        const std::string command = "XDG_CONFIG_HOME=" + dir.string() + " TMPDIR=" + (dir / "tmp").string() +
                                    " " JOURNAL_TOOL " replay " +
                                    (dir / "journal.jsonl").string() + " --seq " + std::to_string(seq) +
                                    " >" + (dir / "out").string() + " 2>&1";
        const int status = std::system(command.c_str());
        std::ifstream in(dir / "out");
        output.assign(std::istreambuf_iterator<char>(in), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string output;
    EXPECT_EQ(run("1234.5Ohms", 2, output), 0) << output;
    EXPECT_EQ(output, "journalled: \"1234.5Ohms\" (reading)\nreplayed:   \"1234.5Ohms\"\nthe same\n");
    EXPECT_EQ(run("1234.6Ohms", 2, output), 1) << output;
    EXPECT_NE(output.find("replayed:   \"1234.5Ohms\"\nthey differ"), std::string::npos) << output;
    EXPECT_EQ(run("1234.5Ohms", 4, output), 2) << output;
    EXPECT_NE(output.find("holds no entry with seq 4"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(dir / "station.jsonl"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
    std::filesystem::remove_all(dir);
}

}  // namespace
