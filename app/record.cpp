#include "app/record.hpp"

namespace CalMod {
namespace {

// The two visitors of ForEachField: each field's bytes in file order, texts as
// they are and integers 16-bit little-endian.
class Writer {
public:
    explicit Writer(RecordBytes& out) : out_(out) {}
    template <std::size_t N>
    void operator()(const char* /*name*/, const TextField<N>& field) {
        for (char c : field) out_[pos_++] = static_cast<unsigned char>(c);
    }
    void operator()(const char* /*name*/, std::int16_t number) {
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
    void operator()(const char* /*name*/, TextField<N>& field) {
        for (char& c : field) c = static_cast<char>(Next());
    }
    void operator()(const char* /*name*/, std::int16_t& number) {
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

}  // namespace

RecordBytes EncodeRecord(const ExtCtrlRec& record) {
    RecordBytes bytes{};
    ForEachField(record, Writer(bytes));
    return bytes;
}

ExtCtrlRec DecodeRecord(std::span<const unsigned char> bytes) {
    ExtCtrlRec record;
    ForEachField(record, Reader(bytes));
    return record;
}

}  // namespace CalMod
