#include "app/cal_mod.hpp"

#include <cmath>
#include <cstdlib>
#include <iostream>
#include <limits>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/journal.hpp"
#include "app/record.hpp"
#include "app/station.hpp"
#include "app/step.hpp"
#include "reading/take_reading.hpp"
#include "reading/text.hpp"
#include "ui/main_form.hpp"

namespace CalMod {

std::int16_t PortNumber(std::string_view portName) {
    const std::string_view digits = portName.size() > 3 ? portName.substr(3) : std::string_view{};
    const double nearest = std::nearbyint(reading::LeadingValue(digits));  // ties to even
    if (!(nearest >= std::numeric_limits<std::int16_t>::min() &&
          nearest <= std::numeric_limits<std::int16_t>::max())) {
        throw std::overflow_error("port number out of range");
    }
    return static_cast<std::int16_t>(nearest);
}

void Main() {
    // A file size limit then fails the journal's or the record's write with
    // an error, which the job reports, instead of killing the job.
    FileSizeLimitFailsWrites();
    std::unique_ptr<Journal> journal;  // only when the station's settings ask for one
    Step([&] { journal = Journal::Start(); });
    std::string resultText;

    Step(ReadJob);
    Step([] { ui::MainForm().Show(); });
    Step([] { ui::MainForm().Repaint(); });
    Step([] { ui::MainForm().Repaint(); });
    Step([] { ui::MainForm().SerCom().SetCommPort(PortNumber(PortName)); });
    Step([&] {
        resultText = reading::TakeReading(TargetText, journal ? journal->Replies() : nullptr);
    });

    if (!resultText.empty()) {
        Step([&] { ui::MainForm().AppendStatus("Reading = " + resultText + "\r\r"); });
        Step([] { ui::MainForm().Repaint(); });
        Step([] { ui::MainForm().AppendStatus("Passing reading to Vantor..."); });
        Step([] { ui::MainForm().Repaint(); });
    } else {
        Step([] { ui::MainForm().AppendStatus("Settling..."); });
        Step([] { ui::MainForm().Repaint(); });
    }

    std::optional<std::string> notWritten = "the write-back did not run";
    Step([&] { notWritten = WriteResultBack(resultText); });
    if (journal) journal->Finish(resultText, notWritten);

    // Ending the process closes what is open and takes the window with it. A
    // result that did not reach the record ends with status 1: the record still
    // holds an earlier result, which the host must not take for this job's.
    if (notWritten) {
        std::cerr << "quillet-reading-utility: the result was not written: " << *notWritten << "\n";
        std::exit(1);
    }
    std::exit(0);
}

}  // namespace CalMod
