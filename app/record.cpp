#include "app/record.hpp"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

#include "app/step.hpp"
#include "reading/text.hpp"

namespace CalMod {

ExtCtrlRec JobRec;
std::string TargetText;
std::string PortName;

namespace {

// Walks the record's fields in file order; the same walk encodes and decodes,
// so the layout is written down once.
template <typename Record, typename Visitor>
void VisitFields(Record& r, Visitor&& visit) {
    visit(r.Text1);
    visit(r.Text2);
    visit(r.TargetText);
    visit(r.Text4);
    visit(r.Text5);
    visit(r.Text6);
    visit(r.Text7);
    visit(r.ResultText);
    visit(r.Number9);
    visit(r.Text10);
    visit(r.Text11);
    visit(r.Number12);
    visit(r.Text13);
    visit(r.Number14);
    visit(r.Number15);
    visit(r.PortName);
}

class Writer {
public:
    explicit Writer(RecordBytes& out) : out_(out) {}
    template <std::size_t N>
    void operator()(const TextField<N>& field) {
        for (char c : field) out_[pos_++] = static_cast<unsigned char>(c);
    }
    void operator()(std::int16_t number) {
        const auto bits = static_cast<std::uint16_t>(number);
        out_[pos_++] = static_cast<unsigned char>(bits & 0xFF);
        out_[pos_++] = static_cast<unsigned char>(bits >> 8);
    }

private:
    RecordBytes& out_;
    std::size_t pos_ = 0;
};

class Reader {
public:
    explicit Reader(std::span<const unsigned char> in) : in_(in) {}
    template <std::size_t N>
    void operator()(TextField<N>& field) {
        for (char& c : field) c = static_cast<char>(Next());
    }
    void operator()(std::int16_t& number) {
        const unsigned low = Next();
        const unsigned high = Next();
        number = static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8)));
    }

private:
    // Bytes the input does not reach read as zero.
    unsigned char Next() { return pos_ < in_.size() ? in_[pos_++] : 0; }

    std::span<const unsigned char> in_;
    std::size_t pos_ = 0;
};

// Opens the exchange file in place: an existing file is neither truncated nor
// changed, a missing one is created empty. Only a regular file counts as the
// exchange file: a FIFO would block the job in its read, a device or a
// directory holds no record, so such a file is refused without being opened.
std::fstream OpenExchangeFile(const std::filesystem::path& path, std::ios::openmode access) {
    const auto kind = std::filesystem::status(path).type();
    if (kind != std::filesystem::file_type::regular &&
        kind != std::filesystem::file_type::not_found) {
        throw std::runtime_error(path.string() + " is not a regular file");
    }
    const auto mode = access | std::ios::binary;
    std::fstream file(path, mode);
    if (!file.is_open() && kind == std::filesystem::file_type::not_found) {
        std::ofstream created(path, std::ios::binary | std::ios::app);  // creates, never truncates
        created.close();
        file.open(path, mode);
    }
    if (!file.is_open()) throw std::runtime_error("cannot open " + path.string());
    return file;
}

std::fstream& Opened(std::optional<std::fstream>& file) {
    if (!file) throw std::runtime_error("exchange file is not open");
    return *file;
}

}  // namespace

RecordBytes EncodeRecord(const ExtCtrlRec& record) {
    RecordBytes bytes{};
    VisitFields(record, Writer(bytes));
    return bytes;
}

ExtCtrlRec DecodeRecord(std::span<const unsigned char> bytes) {
    ExtCtrlRec record;
    VisitFields(record, Reader(bytes));
    return record;
}

void ReadJob() {
    std::optional<std::fstream> file;
    // For reading alone: a record the user may read but not write still names
    // the job's port and unit.
    Step([&] {
        file = OpenExchangeFile(std::filesystem::current_path() / ExchangeFileName, std::ios::in);
    });
    Step([&] {
        RecordBytes bytes{};
        auto& in = Opened(file);
        in.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
        const auto got = static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0));
        JobRec = DecodeRecord(std::span(bytes.data(), got));
    });
    Step([&] { TargetText = reading::Trim(FieldView(JobRec.TargetText)); });
    Step([&] { PortName = reading::Trim(FieldView(JobRec.PortName)); });
    Step([&] { Opened(file).close(); });
}

void WriteResultBack(std::string_view resultText) {
    std::optional<std::fstream> file;
    Step([&] { file = OpenExchangeFile(ExchangeFileName, std::ios::in | std::ios::out); });
    Step([&] { JobRec.ResultText = FieldText<20>(resultText); });
    Step([&] { JobRec.Number14 = 0; });
    Step([&] { JobRec.Number15 = 0; });
    Step([&] {
        auto& out = Opened(file);
        const RecordBytes bytes = EncodeRecord(JobRec);
        out.clear();
        out.seekp(0);
        out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        out.flush();
        if (!out) throw std::runtime_error("cannot write the exchange record");
    });
    Step([&] { Opened(file).close(); });
}

}  // namespace CalMod
