#include "station/append.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "station/chain.hpp"
#include "station/digest.hpp"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string Contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Each kind of file end the chain meets: the line appended after it names the
// next seq and the last line's hash, and only the new bytes are added.
TEST(AppendChained, LinksEachLineToTheFilesLastLine) {
    const std::string old = R"({"start":"2026-12-01"})";
    const struct {
        std::string before;
        std::uint64_t seq;
        std::string last;  // the line `prev` hashes; empty: none
        std::string added;
    } cases[] = {
        {"", 1, "", ""},
        {R"({"seq":41,"prev":null,"locked":true,"a":1})" "\n", 42,
         R"({"seq":41,"prev":null,"locked":true,"a":1})", ""},
        {old + "\n" + old + "\n" + old + "\n", 4, old, ""},  // lines from before the chain
        {old + "\n" + R"({"seq":7,"prev)", 8, R"({"seq":7,"prev)", "\n"},  // a torn line
        {old + "\n" + std::string(200000, 'x') + "\n", 3, std::string(200000, 'x'), ""},
    };
    const fs::path file = fs::temp_directory_path() / "quillet-append-chain.jsonl";
    for (const auto& c : cases) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.before;
        const station::Appended appended = station::AppendChained(file, R"({"b":2})");
        std::string prev = "null";
        if (!c.before.empty()) (prev = "\"").append(station::Sha256Hex(c.last)).append("\"");
        const std::string line = R"({"seq":)" + std::to_string(c.seq) + R"(,"prev":)" + prev +
                                 R"(,"locked":true,"b":2})";
        EXPECT_EQ(Contents(file), c.before + c.added + line + "\n") << c.seq;
        EXPECT_EQ(appended.seq, c.seq);
        EXPECT_EQ(appended.sha256, station::Sha256Hex(line));
    }

    // Another append holding the lock: this one waits only as long as it
    // may, then appends all the same, saying so.
    station::AppendingFile holder(file);
    ASSERT_TRUE(holder.TryLock());
    const auto start = std::chrono::steady_clock::now();
    station::AppendChained(file, R"({"c":3})", 200ms);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_NE(Contents(file).find(R"(,"locked":false,"c":3})" "\n"), std::string::npos);
    fs::remove(file);
}

}  // namespace
