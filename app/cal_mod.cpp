#include "app/cal_mod.hpp"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "app/exchange_file.hpp"
#include "app/journal.hpp"
#include "app/port_number.hpp"
#include "app/step.hpp"
#include "app/system_log.hpp"
#include "app/take_reading.hpp"
#include "meter/clock.hpp"
#include "meter/recording_serial.hpp"
#include "station/facts.hpp"
#include "station/settings.hpp"
#include "ui/main_form.hpp"

namespace CalMod {

namespace {

// What the journal and the system log keep of a job while it runs.
struct Evidence {
    std::chrono::system_clock::time_point start = std::chrono::system_clock::now();
    double started = meter::SteadyClock().Now();
    std::shared_ptr<meter::SerialLog> serial = std::make_shared<meter::SerialLog>();
    std::vector<std::string> replies;  // each query's reply, as TakeReading got it
};

// The journal's line of the job: the record's fields, the display, what went
// over the line and the device it went through, the result as the record got
// it and the outcome.
JournalEntry EntryOfJob(const Evidence& evidence, const std::string& result,
                        const std::optional<std::string>& notWritten) {
    JournalEntry entry;
    entry.start = station::LocalTimestamp(evidence.start);
    entry.user = station::UserName();
    entry.host = station::HostName();
    std::error_code ignored;
    entry.directory = station::PathText(std::filesystem::current_path(ignored));
    entry.target = std::string(FieldView(JobRec.TargetText));
    entry.port = std::string(FieldView(JobRec.PortName));
    for (const meter::SerialEvent& event : *evidence.serial) {
        if (event.kind != meter::SerialEvent::Kind::Open) continue;
        entry.device = event.data;
        break;
    }
    entry.queries = meter::SplitQueries(*evidence.serial);
    const ui::Form* form = ui::ExistingMainForm();
    entry.display = form && form->OnDisplay();
    entry.replies = evidence.replies;
    // What the host reads: the text the record's field got, without its fill.
    entry.result = std::string(StoredResult(result));
    entry.notWritten = notWritten;
    entry.seconds = meter::SteadyClock().Now() - evidence.started;
    return entry;
}

}  // namespace

void Main() {
    // A file size limit then fails the journal's or the record's write with
    // an error, which the job reports, instead of killing the job.
    station::FileSizeLimitFailsWrites();

    // With a journal named in the settings, or the system log on, SerCom is a
    // recorder around the platform's serial control: every byte written and
    // read, with its time, and the device it went through go into the evidence.
    station::Settings settings;
    std::optional<Evidence> evidence;
    Step([&] {
        settings = station::LoadSettings();
        if (settings.journal || settings.systemLog) evidence.emplace();
    });
    if (evidence) {
        ui::SetFormFactory([serial = evidence->serial] {
            return ui::MakeForm(std::make_unique<meter::RecordingSerial>(
                meter::MakeSerialControl(), meter::SteadyClock(), serial));
        });
    }
    std::string resultText;

    Step(ReadJob);
    Step([] { ui::MainForm().Show(); });
    // Two repaints in a row on purpose: these are the job's steps as the host's
    // users know them, and a first repaint that comes before the window system
    // has mapped the new window is made good by the second.
    Step([] { ui::MainForm().Repaint(); });
    Step([] { ui::MainForm().Repaint(); });
    Step([] { ui::MainForm().SerCom().SetCommPort(PortNumber(PortName)); });
    Step([&] {
        resultText = TakeReading(TargetText, evidence ? &evidence->replies : nullptr);
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
    // The journal's line, then the system log's entry with that line's seq and
    // hash: each after the record, and neither able to change the job.
    std::optional<JournalEntry> entry;
    if (evidence) Step([&] { entry = EntryOfJob(*evidence, resultText, notWritten); });
    std::optional<JournalAppended> line;
    if (entry && settings.journal) {
        Step([&] {
            // A monthly or daily journal's file is that of the append's date.
            const std::string now = station::LocalTimestamp(std::chrono::system_clock::now());
            line = AppendJournal(station::DatedJournal(*settings.journal, settings.journalFiles, now),
                                 *entry);
        });
    }
    if (entry && settings.systemLog) SendToSystemLog(*entry, line);

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
