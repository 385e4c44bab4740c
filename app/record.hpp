// The exchange record of ExtCtrl.dat: one 215-byte record at offset 0 through
// which the host leaves the job and takes the result.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
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

// The job, read once at the start and written back once at the end.
extern ExtCtrlRec JobRec;
extern std::string TargetText;  // record's TargetText, trimmed of blanks
extern std::string PortName;    // record's PortName, trimmed of blanks

// Reads record 1 of ExtCtrl.dat in the current directory into JobRec and sets
// TargetText and PortName. A missing file is created empty; each failing step
// is skipped silently (JobRec then keeps zero fields).
void ReadJob();

// Puts the result text into JobRec (spaces-filled or cut to 20), sets Number14
// and Number15 to 0, and writes JobRec over record 1. Bytes beyond the record
// stay as they are. Only a file that ReadJob read (or created) is written: the
// record then changes in its result fields alone. Returns why the result did
// not reach the file (naming the file and the system's reason), or nothing
// when it did; a write that fails part-way puts back the bytes it overwrote.
[[nodiscard]] std::optional<std::string> WriteResultBack(std::string_view resultText);

}  // namespace CalMod
