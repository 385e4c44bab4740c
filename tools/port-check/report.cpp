#include "tools/port-check/report.hpp"

#include <iostream>
#include <sstream>
#include <string_view>
#include <vector>

#include "meter/query.hpp"
#include "reading/convert.hpp"
#include "reading/prefix.hpp"
#include "reading/text.hpp"
#include "tools/common/escape.hpp"

namespace port_check {
namespace {

using tools::Visible;

std::string Seconds(double value) {
    std::ostringstream text;
    text.setf(std::ios::fixed);
    text.precision(2);
    text << value << " s";
    return text.str();
}

// The quantities a unit text can name, by the conversion's unit words and by
// the symbols a job's target text uses.
struct Quantity {
    std::string_view word;    // a reply's unit word; empty when there is none
    std::string_view symbol;  // the symbol alone, as "nF" of a target text
    std::string_view name;
};
constexpr Quantity Quantities[] = {
    {reading::Ohms, "", "a resistance"},  {reading::Hertz, "", "a frequency"},
    {reading::Farads, "F", "a capacitance"}, {"", "V", "a voltage"},
    {"", "A", "a current"},
};

// The quantity a unit text names, its prefix set aside: a unit word, the word
// less the last letter the conversion drops ("kOhm", "kH" of a reply's "kHz"),
// or a symbol; empty when it names none that a meter reads.
std::string_view QuantityOf(std::string_view unit) {
    if (unit.size() > 1 && reading::PrefixFactor(unit) != 1) unit.remove_prefix(1);
    for (const Quantity& quantity : Quantities) {
        const std::string_view word = quantity.word;
        const bool named = !word.empty() && (unit.starts_with(word) ||
                                             unit == word.substr(0, word.size() - 1));
        if (named || (!quantity.symbol.empty() && unit == quantity.symbol)) return quantity.name;
    }
    return {};
}

}  // namespace

void Line(const std::string& label, const std::string& text) {
    const std::string head = label.empty() ? "" : label + ":";
    std::cout << head << std::string(head.size() < 12 ? 12 - head.size() : 1, ' ') << text << "\n";
}

void Report(int number, meter::RecordingSerial& port, const std::string& reply) {
    const std::vector<meter::QueryTrace> queries = meter::SplitQueries(port.TakeEvents());
    const meter::QueryTrace trace = queries.empty() ? meter::QueryTrace{} : queries.front();
    const std::size_t attempts = trace.attempts.size();
    const std::string command = attempts == 0 ? "" : trace.attempts.front().written;
    // Every byte read after the first command, and when the first byte and the
    // first CR were seen, counted from that command.
    std::string received;
    double firstByte = -1;
    double lineEnd = -1;
    for (const auto& attempt : trace.attempts) {
        for (const auto& read : attempt.reads) {
            if (firstByte < 0) firstByte = attempt.at + read.at;
            if (lineEnd < 0 && read.bytes.find('\r') != std::string::npos) {
                lineEnd = attempt.at + read.at;
            }
            received += read.bytes;
        }
    }
    const std::string label = "Query " + std::to_string(number);
    Line(label, "sent " + Visible(command) + ", " + std::to_string(attempts) +
                    (attempts == 1 ? " attempt" : " attempts"));
    if (!trace.discarded.empty()) Line("", "discarded before sending: " + Visible(trace.discarded));
    if (received.empty()) {
        Line("", "no reply");
        return;
    }
    std::string timing = "first byte after " + Seconds(firstByte);
    timing += lineEnd < 0 ? ", no CR" : ", CR after " + Seconds(lineEnd);
    Line("", "received " + Visible(received));
    Line("", timing + " (seen at 0.1 s polls)");
    if (reply != received) Line("", "reply kept: " + Visible(reply));
}

void WarnOnUnitMismatch(const std::string& reply, const std::string& target) {
    std::string meterUnit;
    try {
        meterUnit = reading::ReadReply(reply).Unit;
    } catch (const reading::ConversionError&) {
        return;
    }
    const std::string_view jobUnit = reading::TargetUnit(target);
    const std::string_view meterQuantity = QuantityOf(meterUnit);
    const std::string_view jobQuantity = QuantityOf(jobUnit);
    if (meterQuantity.empty() || jobQuantity.empty() || meterQuantity == jobQuantity) return;
    Line("Warning", "the meter gives " + std::string(meterQuantity) + " (" + Visible(meterUnit) +
                        "), the job asks for " + std::string(jobQuantity) + " (" +
                        Visible(jobUnit) + "); the utility converts the prefixes only");
}

}  // namespace port_check
