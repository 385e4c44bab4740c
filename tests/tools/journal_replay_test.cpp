// The journal tool's replay through the real programs: the tool, the meter
// simulator and the utility.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/journal_lines.hpp"

namespace {

using namespace journal_lines;

// A job whose meter answered both queries at 0.1 s, as job `seq` of a small
// journal, replayed by the real tool in a configuration whose settings name
// a journal and whose port map sends COM7 nowhere: the results compared, that
// journal never written, and the scratch configuration gone. A copy of the tool
// alone in its folder finds the other programs on the PATH.
TEST(JournalReplay, RunsTheJobAgainApartFromTheStation) {
    const std::filesystem::path dir = testing::TempDir() + "journal-replay";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir / "quillet" / "ports");
    std::filesystem::create_symlink("/nonexistent", dir / "quillet" / "ports" / "COM7");
    std::filesystem::create_directories(dir / "alone");
    std::filesystem::copy_file(JOURNAL_TOOL, dir / "alone" / "quillet-journal");
    const std::filesystem::path bin = std::filesystem::path(JOURNAL_TOOL).parent_path();
    const std::string alone = "PATH=" + bin.string() + ":/usr/bin:/bin " + (dir / "alone" / "quillet-journal").string();
    std::filesystem::create_directories(dir / "tmp");  // the tool's scratch folder goes here
    std::ofstream(dir / "quillet" / "settings") << "journal = " << (dir / "station.jsonl").string() << "\n";
    const auto run = [&](const std::string& result, int seq, std::string& output,
                         const std::string& tool = JOURNAL_TOOL) {
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
                                    " " + tool + " replay " +
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
    EXPECT_EQ(run("1234.6Ohms", 2, output, alone), 1) << output;
    EXPECT_NE(output.find("replayed:   \"1234.5Ohms\"\nthey differ"), std::string::npos) << output;
    EXPECT_EQ(run("1234.5Ohms", 4, output), 2) << output;
    EXPECT_NE(output.find("holds no entry with seq 4"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(dir / "station.jsonl"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));

    // The station's own folder, which the utility reads whatever the
    // environment says (here a folder mounted over /etc/xdg in a mount
    // namespace of the test's own): a journal or a COM7 there, and the replay
    // refuses to run; with neither it runs.
    if (std::system("unshare -m true 2>/dev/null") != 0) GTEST_SKIP() << "unshare -m needs root";
    const std::filesystem::path station = dir / "xdg" / "quillet";
    std::filesystem::create_directories(station / "ports");
    const std::string inStation = "unshare -m sh -c 'mount --bind " + station.parent_path().string() +
                                  " /etc/xdg && exec \"$0\" \"$@\"' " JOURNAL_TOOL;
    std::ofstream(station / "settings") << "journal = " << (dir / "station.jsonl").string() << "\n";
    EXPECT_EQ(run("1234.5Ohms", 2, output, inStation), 2) << output;
    EXPECT_NE(output.find("/etc/xdg/quillet/settings keeps a journal"), std::string::npos) << output;
    std::filesystem::remove(station / "settings");
    std::filesystem::create_symlink("/dev/null", station / "ports" / "COM7");
    EXPECT_EQ(run("1234.5Ohms", 2, output, inStation), 2) << output;
    EXPECT_NE(output.find("port map sends COM7 to /etc/xdg/quillet/ports/COM7"), std::string::npos) << output;
    std::filesystem::remove(station / "ports" / "COM7");
    EXPECT_EQ(run("1234.5Ohms", 2, output, inStation), 0) << output;
    EXPECT_FALSE(std::filesystem::exists(dir / "station.jsonl"));
    EXPECT_TRUE(std::filesystem::is_empty(dir / "tmp"));
    std::filesystem::remove_all(dir);
}

}  // namespace
