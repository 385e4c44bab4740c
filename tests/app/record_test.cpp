#include "app/exchange_file.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <iterator>
#include <numeric>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace CalMod;

namespace {

using Bytes = std::vector<unsigned char>;

void Put(Bytes& bytes, std::size_t offset, std::string_view text) {
    std::copy(text.begin(), text.end(), bytes.begin() + static_cast<std::ptrdiff_t>(offset));
}

// Runs each test in a fresh current directory with a zero JobRec.
class ExchangeFile : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = fs::current_path();
        dir_ =
            fs::temp_directory_path() /
            ("quillet-record-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::current_path(dir_);
        JobRec = {};
        TargetText.clear();
        PortName.clear();
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(dir_);
    }

    static void WriteFile(const Bytes& bytes) {
        std::ofstream out(ExchangeFileName, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    static Bytes ReadFile() {
        std::ifstream in(ExchangeFileName, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    // A record of every byte value 0..214, with chosen texts put in place.
    static Bytes PatternRecord() {
        Bytes bytes(RecordLength);
        std::iota(bytes.begin(), bytes.end(), static_cast<unsigned char>(0));
        return bytes;
    }

    fs::path previous_;
    fs::path dir_;
};

// Every byte outside ResultText and Number14/15 must come back unchanged.
void ExpectUntouchedFieldsEqual(const Bytes& before, const Bytes& after) {
    ASSERT_GE(after.size(), RecordLength);
    for (std::size_t i = 0; i < RecordLength; ++i) {
        const bool written = (i >= 140 && i < 160) || (i >= 206 && i < 210);
        if (!written) {
            EXPECT_EQ(before[i], after[i]) << "byte " << i;
        }
    }
}

TEST(RecordLayout, FieldsSitAtTheirOffsetsAndRoundTrip) {
    Bytes bytes(RecordLength);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<unsigned char>(0x80 + i % 128);
    Put(bytes, 40, "10.000 mV           ");
    Put(bytes, 210, "COM12");
    bytes[160] = 0x34;  // Number9 = 0x1234, low byte first
    bytes[161] = 0x12;
    bytes[206] = 0xFF;  // Number14 = -1
    bytes[207] = 0xFF;
    bytes[208] = 0x00;  // Number15 = -32768
    bytes[209] = 0x80;

    const ExtCtrlRec rec = DecodeRecord(bytes);
    EXPECT_EQ(FieldView(rec.TargetText), "10.000 mV           ");
    EXPECT_EQ(FieldView(rec.PortName), "COM12");
    EXPECT_EQ(rec.Number9, 0x1234);
    EXPECT_EQ(rec.Number14, -1);
    EXPECT_EQ(rec.Number15, -32768);
    EXPECT_EQ(static_cast<unsigned char>(rec.Text10[0]), bytes[162]);
    EXPECT_EQ(static_cast<unsigned char>(rec.Text13[19]), bytes[205]);

    const RecordBytes encoded = EncodeRecord(rec);
    EXPECT_TRUE(std::equal(encoded.begin(), encoded.end(), bytes.begin()));
}

TEST(RecordLayout, ShortInputLeavesMissingFieldsZero) {
    const Bytes bytes(45, 'x');
    const ExtCtrlRec rec = DecodeRecord(bytes);
    EXPECT_EQ(FieldView(rec.TargetText), std::string(5, 'x') + std::string(15, '\0'));
    EXPECT_EQ(FieldView(rec.PortName), std::string(5, '\0'));
    EXPECT_EQ(rec.Number9, 0);
}

TEST(RecordLayout, FieldTextFillsWithSpacesOrCuts) {
    EXPECT_EQ(FieldView(FieldText<20>("")), std::string(20, ' '));
    EXPECT_EQ(FieldView(FieldText<20>("1234.5O")), "1234.5O" + std::string(13, ' '));
    EXPECT_EQ(FieldView(FieldText<20>("12344.9994136440123mV")), "12344.9994136440123m");
}

TEST_F(ExchangeFile, ReadTrimsBlanksOnlyFromTheJobFields) {
    Bytes bytes = PatternRecord();
    Put(bytes, 40, "  1 kOhms           ");
    Put(bytes, 210, "COM3 ");
    WriteFile(bytes);
    ReadJob();
    EXPECT_EQ(TargetText, "1 kOhms");
    EXPECT_EQ(PortName, "COM3");

    Put(bytes, 40, "10.000 mV\t          ");
    Put(bytes, 210, std::string_view("\0COM7", 5));
    WriteFile(bytes);
    ReadJob();
    EXPECT_EQ(TargetText, "10.000 mV\t");
    EXPECT_EQ(PortName, std::string_view("\0COM7", 5));
}

TEST_F(ExchangeFile, WriteBackStoresResultZeroesNumbersKeepsEverythingElse) {
    Bytes before = PatternRecord();
    for (std::size_t i = 0; i < 128; ++i) before[i] = static_cast<unsigned char>(0x80 + i);
    Put(before, 40, "1000 Ohms           ");
    Put(before, 210, "COM1 ");
    before[206] = 7;
    before[208] = 9;
    WriteFile(before);

    ReadJob();
    TargetText = " 1000 ";  // the job field may change during the run; the file must not
    EXPECT_EQ(WriteResultBack("1234.5Ohms"), std::nullopt);

    const Bytes after = ReadFile();
    ASSERT_EQ(after.size(), RecordLength);
    ExpectUntouchedFieldsEqual(before, after);
    EXPECT_EQ(std::string(after.begin() + 140, after.begin() + 160), "1234.5Ohms          ");
    EXPECT_EQ(Bytes(after.begin() + 206, after.begin() + 210), Bytes(4, 0));
}

TEST_F(ExchangeFile, ResultTextIsCutOrFilledToTwentyCharacters) {
    const std::pair<std::string, std::string> cases[] = {
        {"", std::string(20, ' ')},
        {"0.123V!", "0.123V!" + std::string(13, ' ')},
        {"1234567890123456789012345", "12345678901234567890"},
    };
    for (const auto& [result, stored] : cases) {
        WriteFile(PatternRecord());
        ReadJob();
        EXPECT_EQ(WriteResultBack(result), std::nullopt);
        const Bytes after = ReadFile();
        EXPECT_EQ(std::string(after.begin() + 140, after.begin() + 160), stored) << result;
    }
}

TEST_F(ExchangeFile, BytesBeyondTheRecordStayAsTheyWere) {
    Bytes before = PatternRecord();
    const Bytes tail = {'t', 'a', 'i', 'l', 0x00, 0xFF};
    before.insert(before.end(), tail.begin(), tail.end());
    WriteFile(before);
    ReadJob();
    EXPECT_EQ(WriteResultBack("1V"), std::nullopt);
    const Bytes after = ReadFile();
    ASSERT_EQ(after.size(), before.size());
    ExpectUntouchedFieldsEqual(before, after);
    EXPECT_EQ(Bytes(after.end() - 6, after.end()), tail);
}

TEST_F(ExchangeFile, MissingFileIsCreatedAndGetsAZeroRecordWithTheResult) {
    ReadJob();
    EXPECT_TRUE(fs::exists(ExchangeFileName));
    EXPECT_EQ(fs::file_size(ExchangeFileName), 0u);
    EXPECT_EQ(TargetText, std::string(20, '\0'));
    EXPECT_EQ(PortName, std::string(5, '\0'));

    EXPECT_EQ(WriteResultBack(""), std::nullopt);
    Bytes expected(RecordLength, 0);
    std::fill(expected.begin() + 140, expected.begin() + 160, ' ');
    EXPECT_EQ(ReadFile(), expected);
}

TEST_F(ExchangeFile, ShortFileGivesZeroFieldsForWhatItLacks) {
    Bytes before(50, 'a');
    WriteFile(before);
    ReadJob();
    EXPECT_EQ(TargetText, std::string(10, 'a') + std::string(10, '\0'));
    EXPECT_EQ(WriteResultBack("5V"), std::nullopt);
    const Bytes after = ReadFile();
    ASSERT_EQ(after.size(), RecordLength);
    EXPECT_EQ(Bytes(after.begin(), after.begin() + 50), before);
    EXPECT_EQ(after[210], 0);
}

#ifndef _WIN32
// Runs an operation on the exchange file that must not block on it. Should it
// block in a read of the FIFO, a record's worth of bytes written into the FIFO
// lets it finish, and the test fails.
void ExpectEndsAtOnce(const char* what, void (*operation)()) {
    auto done = std::async(std::launch::async, operation);
    if (done.wait_for(std::chrono::seconds(2)) == std::future_status::ready) return;
    ADD_FAILURE() << what << " blocked on the FIFO";
    const int fd = open(ExchangeFileName, O_WRONLY | O_NONBLOCK);
    const std::string record(RecordLength, 'x');
    if (fd >= 0 && write(fd, record.data(), record.size()) > 0) close(fd);
    done.wait_for(std::chrono::seconds(2));
}

TEST_F(ExchangeFile, FifoIsNeitherReadNorWrittenAndNeverBlocks) {
    ASSERT_EQ(mkfifo(ExchangeFileName, 0600), 0);
    ExpectEndsAtOnce("the read", ReadJob);
    EXPECT_EQ(JobRec, ExtCtrlRec{});
    EXPECT_EQ(PortName, std::string(5, '\0'));
    ExpectEndsAtOnce("the write-back", [] { EXPECT_TRUE(WriteResultBack("1V")); });
    EXPECT_TRUE(fs::is_fifo(ExchangeFileName));
}
#endif

TEST_F(ExchangeFile, UnopenableFileIsSkippedSilently) {
    fs::create_directory(ExchangeFileName);  // a directory cannot be opened as the record
    ASSERT_NO_THROW(ReadJob());
    EXPECT_EQ(JobRec, ExtCtrlRec{});
    EXPECT_EQ(TargetText, std::string(20, '\0'));
    const auto notWritten = WriteResultBack("1V");
    ASSERT_TRUE(notWritten);
    EXPECT_NE(notWritten->find("ExtCtrl.dat: not a regular file"), std::string::npos) << *notWritten;
    EXPECT_EQ(FieldView(JobRec.ResultText), "1V" + std::string(18, ' '));  // changed in memory only
    EXPECT_TRUE(fs::is_directory(ExchangeFileName));

    // A record that turns up after the read is not the one the job read: it
    // is not written either.
    fs::remove(ExchangeFileName);
    WriteFile(PatternRecord());
    EXPECT_TRUE(WriteResultBack("1V"));
    EXPECT_EQ(ReadFile(), PatternRecord());
}

}  // namespace
