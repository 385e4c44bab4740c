// The exchange record of ExtCtrl.dat: one 215-byte record at offset 0 through
// which the host leaves the job and takes the result. Its fields and their
// coding; the file itself is app/exchange_file.hpp.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace CalMod {

inline constexpr std::size_t RecordLength = 215;
inline constexpr const char* ExchangeFileName = "ExtCtrl.dat";

// A fixed-width text field: exactly N Windows-1252 bytes, no terminator.
template <std::size_t N>
using TextField = std::array<char, N>;

struct ExtCtrlRec {
    TextField<20> Text1{};
    TextField<20> Text2{};
    TextField<20> TargetText{};  // target text whose trailing letters name the wanted unit
    TextField<20> Text4{};
    TextField<20> Text5{};
    TextField<20> Text6{};
    TextField<20> Text7{};
    TextField<20> ResultText{};  // receives the result text
    std::int16_t Number9 = 0;
    TextField<2> Text10{};
    TextField<20> Text11{};
    std::int16_t Number12 = 0;
    TextField<20> Text13{};
    std::int16_t Number14 = 0;  // set to 0 on write-back
    std::int16_t Number15 = 0;  // set to 0 on write-back
    TextField<5> PortName{};    // serial port of the meter, e.g. COM1 or COM12

    bool operator==(const ExtCtrlRec&) const = default;
};

// The record's layout, written down once: calls visit(name, field) for each
// field in file order. Encoding, decoding and every listing of the fields
// (host-sim's --show) walk it.
template <typename Record, typename Visitor>
void ForEachField(Record& r, Visitor&& visit) {
    visit("Text1", r.Text1);
    visit("Text2", r.Text2);
    visit("TargetText", r.TargetText);
    visit("Text4", r.Text4);
    visit("Text5", r.Text5);
    visit("Text6", r.Text6);
    visit("Text7", r.Text7);
    visit("ResultText", r.ResultText);
    visit("Number9", r.Number9);
    visit("Text10", r.Text10);
    visit("Text11", r.Text11);
    visit("Number12", r.Number12);
    visit("Text13", r.Text13);
    visit("Number14", r.Number14);
    visit("Number15", r.Number15);
    visit("PortName", r.PortName);
}

using RecordBytes = std::array<unsigned char, RecordLength>;

// Field-by-field encoding: texts as their bytes, integers 16-bit little-endian.
RecordBytes EncodeRecord(const ExtCtrlRec& record);
// Decodes up to RecordLength bytes; fields the bytes do not reach stay zero.
ExtCtrlRec DecodeRecord(std::span<const unsigned char> bytes);

// A text stored left-aligned in a field: filled with spaces, or cut.
template <std::size_t N>
TextField<N> FieldText(std::string_view text) {
    TextField<N> field;
    field.fill(' ');
    text.copy(field.data(), N);
    return field;
}

template <std::size_t N>
std::string_view FieldView(const TextField<N>& field) {
    return {field.data(), N};
}

}  // namespace CalMod
