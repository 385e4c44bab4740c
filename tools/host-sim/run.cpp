#include "tools/host-sim/run.hpp"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "app/port_number.hpp"
#include "app/record.hpp"
#include "tools/common/station_apart_posix.hpp"
#include "tools/host-sim/private_config.hpp"
#include "tools/host-sim/record_view.hpp"

namespace fs = std::filesystem;
using CalMod::ExtCtrlRec;
using CalMod::FieldText;

namespace host_sim {
namespace {

// A record whose fields the utility does not interpret carry recognisable
// values, bytes above 127 among them, so that any change shows.
ExtCtrlRec PreparedRecord(const std::string& target, const std::string& port) {
    ExtCtrlRec rec;
    rec.Text1 = FieldText<20>("HOST TEXT 1 \xB5\xB0");
    rec.Text2 = FieldText<20>("HOST TEXT 2 \x80\x81");
    rec.TargetText = FieldText<20>(target);
    rec.Text4 = FieldText<20>("HOST TEXT 4");
    rec.Text5 = FieldText<20>("HOST TEXT 5");
    rec.Text6 = FieldText<20>("HOST TEXT 6");
    rec.Text7 = FieldText<20>("HOST TEXT 7 \xFF");
    rec.ResultText = FieldText<20>("(no result yet)");
    rec.Number9 = 1234;
    rec.Text10 = FieldText<2>("10");
    rec.Text11 = FieldText<20>("HOST TEXT 11");
    rec.Number12 = -12;
    rec.Text13 = FieldText<20>("HOST TEXT 13");
    rec.Number14 = 14;
    rec.Number15 = 15;
    rec.PortName = FieldText<5>(port);
    return rec;
}

std::vector<unsigned char> ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// Starts the utility in dir, with the environment's settings added, and
// waits for it; returns its exit status, or -1 when it could not be started
// or ended by a signal.
int RunUtility(const std::string& utility, const fs::path& dir,
               std::vector<std::string> environment) {
    const pid_t pid = fork();
    if (pid < 0) return -1;
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        for (std::string& setting : environment) putenv(setting.data());
        execl(utility.c_str(), utility.c_str(), static_cast<char*>(nullptr));
        std::fprintf(stderr, "quillet-host-sim: cannot start %s: %s\n", utility.c_str(),
                     std::strerror(errno));
        _exit(127);
    }
    // As system(3) does: an interrupt from the terminal ends the utility, and
    // host-sim goes on to report that and to clean up.
    std::signal(SIGINT, SIG_IGN);
    std::signal(SIGQUIT, SIG_IGN);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Writes the prepared record into the job's exchange file; false when it
// cannot be written.
bool WriteJob(const fs::path& file, const CalMod::RecordBytes& sent) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(sent.data()), static_cast<std::streamsize>(sent.size()));
    return static_cast<bool>(out);
}

}  // namespace

int RunJob(const Options& options) {
    std::error_code error;
    fs::create_directories(options.dir, error);
    if (!fs::is_directory(options.dir)) {
        throw UsageError("cannot make the directory " + options.dir.string());
    }
    if (options.portDir && !WaitForEntry(*options.portDir)) {
        throw UsageError(options.portDir->string() +
                         " holds no port after 10 s; start quillet-meter-sim first");
    }
    std::optional<PrivateConfig> config;
    try {
        if (options.portDir) config.emplace(*options.portDir);
    } catch (const fs::filesystem_error& failure) {
        std::cerr << "quillet-host-sim: no configuration of its own for the job: "
                  << failure.what() << "\n";
        return ExitUtilityFailed;
    }
    if (config) {
        // The station's own folder is read whatever the job's environment
        // says; where it would reach the job, the job does not run.
        std::optional<std::string> reached;
        try {
            reached = tools::StationSetupReached(config->Root(), CalMod::PortNumber(options.port));
        } catch (const std::overflow_error&) {
            // No port the utility could open: nothing of the station's is reached.
        }
        if (reached) throw UsageError("--port-dir cannot keep the job apart: " + *reached);
    }
    const fs::path file = options.dir / CalMod::ExchangeFileName;
    if (!options.force && fs::exists(fs::symlink_status(file))) {
        throw UsageError(file.string() + " exists; --force overwrites it");
    }
    const CalMod::RecordBytes sent =
        CalMod::EncodeRecord(PreparedRecord(options.target, options.port));
    if (!WriteJob(file, sent)) {
        std::cerr << "quillet-host-sim: cannot write " << file << "\n";
        return ExitUtilityFailed;
    }

    std::cout.flush();
    const int status = RunUtility(options.utility, options.dir,
                                  config ? config->Environment() : std::vector<std::string>{});

    const std::vector<unsigned char> back = ReadAll(file);
    if (back.size() != CalMod::RecordLength) {
        std::cout << "record: " << back.size() << " bytes instead of " << CalMod::RecordLength
                  << "\n";
        return ExitDamaged;
    }
    const ExtCtrlRec got = CalMod::DecodeRecord(back);
    ExtCtrlRec expected = CalMod::DecodeRecord(sent);
    expected.ResultText = got.ResultText;
    expected.Number14 = got.Number14;
    expected.Number15 = got.Number15;
    const bool intact = (got == expected);
    ReportWriteBack(got, intact);
    if (status == 1) {
        std::cout << "Utility: exit status 1: the result was not written\n";
        return ExitUtilityFailed;
    }
    if (status != 0) {
        std::cout << "Utility: did not end normally (status " << status << ")\n";
        return ExitUtilityFailed;
    }
    if (!intact) return ExitDamaged;
    // A reading is a result text that is neither blank nor the one prepared.
    const bool blank =
        CalMod::FieldView(got.ResultText).find_first_not_of(' ') == std::string_view::npos;
    const bool untouched = got.ResultText == CalMod::DecodeRecord(sent).ResultText;
    return blank || untouched ? ExitNoReading : ExitReading;
}

}  // namespace host_sim
