#include "tools/host-sim/record_view.hpp"

#include <fstream>
#include <iostream>
#include <iterator>
#include <type_traits>
#include <vector>

#include "station/code_page.hpp"
#include "tools/common/escape.hpp"
#include "tools/host-sim/options.hpp"

namespace host_sim {

int ShowRecord(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "quillet-host-sim: cannot read " << file.string() << "\n";
        return ExitUsage;
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    const CalMod::ExtCtrlRec rec = CalMod::DecodeRecord(bytes);
    CalMod::ForEachField(rec, [](const char* name, const auto& field) {
        if constexpr (std::is_same_v<std::decay_t<decltype(field)>, std::int16_t>) {
            std::cout << name << ": " << field << "\n";
        } else {
            std::cout << name << ": " << tools::Visible(CalMod::FieldView(field)) << "\n";
        }
    });
    if (bytes.size() != CalMod::RecordLength) {
        std::cout << "record: " << bytes.size() << " bytes instead of " << CalMod::RecordLength
                  << " (fields beyond the end shown as zero)\n";
        return ExitDamaged;
    }
    return 0;
}

void ReportWriteBack(const CalMod::ExtCtrlRec& got, bool intact) {
    std::cout << "ResultText: \"" << station::RecordTextUtf8(CalMod::FieldView(got.ResultText))
              << "\"\n"
              << "Number14: " << got.Number14 << "\n"
              << "Number15: " << got.Number15 << "\n"
              << "Other fields: " << (intact ? "unchanged" : "CHANGED") << "\n";
}

}  // namespace host_sim
