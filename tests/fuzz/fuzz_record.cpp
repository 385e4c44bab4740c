// The exchange record under any file content: reads a file of 0 to 1000 bytes
// with the job's own read, writes it back with any result text, and checks that
// the write-back changes the result field and the two zeroed numbers and
// nothing else. Input: first byte = length of the result text, then the result
// text, then the file content.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/exchange_file.hpp"
#include "fuzz.hpp"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

constexpr std::size_t MaxFileLength = 1000;
constexpr std::size_t ResultOffset = 140;
constexpr std::size_t ResultLength = 20;
constexpr std::size_t NumbersOffset = 206;  // Number14 and Number15, two bytes each
constexpr std::size_t NumbersLength = 4;

fs::path WorkDirectory;

void RemoveWorkDirectory() {
    std::error_code ignored;
    fs::remove_all(WorkDirectory, ignored);
}

// A new file each time: rewriting a truncated file makes some file systems
// (ext4) flush it to disk on close, a thousand times slower.
void WriteFile(std::string_view content) {
    std::error_code ignored;
    fs::remove(CalMod::ExchangeFileName, ignored);
    std::ofstream out(CalMod::ExchangeFileName, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    FUZZ_CHECK(out.good());
}

Bytes ReadFile() {
    std::ifstream in(CalMod::ExchangeFileName, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

bool InResultOrNumbers(std::size_t offset) {
    return (offset >= ResultOffset && offset < ResultOffset + ResultLength) ||
           (offset >= NumbersOffset && offset < NumbersOffset + NumbersLength);
}

}  // namespace

// The job works on ExtCtrl.dat in the current directory: each run gets a
// private one, removed at exit; in memory (/dev/shm) where that can be had,
// since every input writes the file twice. The fuzzer's own files (corpus,
// findings) stay relative to the directory it was started in.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    for (const fs::path& base : {fs::path("/dev/shm"), fs::temp_directory_path()}) {
        std::string pattern = (base / "quillet-fuzz-record-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) continue;
        WorkDirectory = pattern;
        std::atexit(RemoveWorkDirectory);
        return 0;
    }
    fuzz::Violated("no temporary directory", __FILE__, __LINE__);
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    auto [resultText, content] = fuzz::Split(data, size);
    content = content.substr(0, MaxFileLength);

    // A fresh run: the zero record, then the job's read and write-back.
    const fs::path startDirectory = fs::current_path();
    fs::current_path(WorkDirectory);
    CalMod::JobRec = {};
    CalMod::TargetText.clear();
    CalMod::PortName.clear();
    WriteFile(content);
    CalMod::ReadJob();
    const bool written = !CalMod::WriteResultBack(resultText);
    const Bytes after = ReadFile();
    fs::current_path(startDirectory);

    // The record is written whole, and says so; a longer file keeps its length.
    FUZZ_CHECK(written);
    FUZZ_CHECK(after.size() == std::max(content.size(), CalMod::RecordLength));

    // Within the record only the result field and the two numbers change; bytes
    // the file did not hold read as zero. Beyond the record nothing changes.
    for (std::size_t i = 0; i < after.size(); ++i) {
        const unsigned char before =
            i < content.size() ? static_cast<unsigned char>(content[i]) : 0;
        if (i >= CalMod::RecordLength || !InResultOrNumbers(i)) FUZZ_CHECK(after[i] == before);
    }

    // The result field holds the result text, filled with spaces or cut; the
    // numbers are 0.
    std::string field(resultText.substr(0, ResultLength));
    field.resize(ResultLength, ' ');
    FUZZ_CHECK(
        std::equal(field.begin(), field.end(), after.begin() + ResultOffset,
                   [](char a, unsigned char b) { return static_cast<unsigned char>(a) == b; }));
    FUZZ_CHECK(std::all_of(after.begin() + NumbersOffset,
                           after.begin() + NumbersOffset + NumbersLength,
                           [](unsigned char b) { return b == 0; }));
    return 0;
}
