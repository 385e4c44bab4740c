// host-sim: does what the host calibration program does around one job. It
// writes record 1 of ExtCtrl.dat in a directory, starts the utility there,
// waits for it, and reports what the utility wrote back.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <type_traits>
#include <vector>

#include "app/record.hpp"
#include "meter/serial_control.hpp"
#include "station/code_page.hpp"
#include "tools/common/escape.hpp"

namespace fs = std::filesystem;
using CalMod::ExtCtrlRec;
using CalMod::FieldText;
using CalMod::FieldView;
using CalMod::RecordLength;

namespace {

constexpr int ExitReading = 0;
constexpr int ExitNoReading = 1;
constexpr int ExitUsage = 2;
constexpr int ExitDamaged = 3;
constexpr int ExitUtilityFailed = 4;

const char* const Usage =
    "Usage: quillet-host-sim --port COM<N> [OPTION]...\n"
    "  or:  quillet-host-sim --show [FILE]\n"
    "Does what the host calibration program does around one job: prepares a job\n"
    "in DIR/ExtCtrl.dat, starts the utility in DIR, waits for it and reports the\n"
    "record it wrote back. --show prints every field of an existing record\n"
    "(default ./ExtCtrl.dat), control characters and bytes above 126 as \\xHH.\n"
    "\n"
    "  --port NAME      serial port of the meter, written into the job (required)\n"
    "  --dir DIR        directory of the job, made when missing (default: the\n"
    "                   current directory)\n"
    "  --target TEXT    target text naming the wanted unit (default: 1000 Ohms)\n"
    "  --utility PATH   the utility to start (default: the one beside host-sim)\n"
    "  --port-dir PORTS run the utility with the folder PORTS as its only port\n"
    "                   map (COM<N> opens PORTS/COM<N>) and no settings file at\n"
    "                   all, so that it reads neither the user's nor the\n"
    "                   station's and keeps no journal. Waits up to 10 s for\n"
    "                   PORTS to hold an entry, such as the one that\n"
    "                   quillet-meter-sim --port-dir PORTS makes\n"
    "  --force          overwrite an existing DIR/ExtCtrl.dat\n"
    "  --help           show this text and exit\n"
    "  --version        show the version and exit\n"
    "\n"
    "Exit status: 0 a reading came back, 1 no reading, 2 bad command line, an\n"
    "existing ExtCtrl.dat without --force or no entry in PORTS after 10 s,\n"
    "3 record damaged, 4 the utility could not be started, did not end normally\n"
    "or did not write its result.\n";

[[noreturn]] void UsageError(const std::string& message) {
    std::cerr << "quillet-host-sim: " << message << "\n"
              << "Try 'quillet-host-sim --help'.\n";
    std::exit(ExitUsage);
}

using tools::Visible;

// Prints every field of the record in the file; ExitDamaged when the file is
// not one whole record.
int ShowRecord(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::cerr << "quillet-host-sim: cannot read " << file.string() << "\n";
        return ExitUsage;
    }
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    const ExtCtrlRec rec = CalMod::DecodeRecord(bytes);
    CalMod::ForEachField(rec, [](const char* name, const auto& field) {
        if constexpr (std::is_same_v<std::decay_t<decltype(field)>, std::int16_t>) {
            std::cout << name << ": " << field << "\n";
        } else {
            std::cout << name << ": " << Visible(FieldView(field)) << "\n";
        }
    });
    if (bytes.size() != RecordLength) {
        std::cout << "record: " << bytes.size() << " bytes instead of " << RecordLength
                  << " (fields beyond the end shown as zero)\n";
        return ExitDamaged;
    }
    return 0;
}

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

// A configuration folder of its own for one job, removed again when the
// object goes: its port map sends every port the utility may open into
// portDir (COM<n> a link to portDir/COM<n>, which need not exist), so that
// no station's port is ever reached, and it holds no settings file.
class PrivateConfig {
public:
    explicit PrivateConfig(const fs::path& portDir) {
        std::string name = (fs::temp_directory_path() / "quillet-host-sim.XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr) {
            throw fs::filesystem_error("mkdtemp", name,
                                       std::error_code(errno, std::generic_category()));
        }
        root_ = name;
        try {
            const fs::path ports = root_ / "quillet" / "ports";
            fs::create_directories(ports);
            for (int port = meter::MinPort; port <= meter::MaxPort; ++port) {
                const std::string entry = "COM" + std::to_string(port);
                fs::create_symlink(fs::absolute(portDir) / entry, ports / entry);
            }
        } catch (...) {
            Remove();
            throw;
        }
    }
    PrivateConfig(const PrivateConfig&) = delete;
    PrivateConfig& operator=(const PrivateConfig&) = delete;
    ~PrivateConfig() { Remove(); }

    // The environment in which the utility reads this folder only: neither
    // the user's configuration nor the station's.
    std::vector<std::string> Environment() const {
        return {"XDG_CONFIG_HOME=" + root_.string(), "XDG_CONFIG_DIRS=" + root_.string()};
    }

private:
    void Remove() const {
        std::error_code error;
        fs::remove_all(root_, error);
    }

    fs::path root_;
};

// Waits up to 10 s for an entry in dir; false when none came.
bool WaitForEntry(const fs::path& dir) {
    for (int i = 0; i < 200; ++i) {
        std::error_code error;
        if (fs::directory_iterator(dir, error) != fs::directory_iterator()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
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

}  // namespace

int main(int argc, char** argv) {
    fs::path dir = ".";
    std::optional<fs::path> portDir;
    std::string target = "1000 Ohms";
    std::string port;
    bool force = false;
    std::string utility =
        (fs::canonical("/proc/self/exe").parent_path() / QUILLET_UTILITY_NAME).string();

    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help") {
            std::cout << Usage;
            return 0;
        }
        if (option == "--version") {
            std::cout << "quillet-host-sim " QUILLET_VERSION "\n";
            return 0;
        }
        if (option == "--show") {
            if (i + 2 < argc) UsageError("--show takes at most one file");
            return ShowRecord(i + 1 < argc ? fs::path(argv[i + 1])
                                           : fs::path(CalMod::ExchangeFileName));
        }
        if (option == "--force") {
            force = true;
            continue;
        }
        if (i + 1 >= argc) UsageError("unknown option or missing value: " + option);
        const std::string value = argv[++i];
        if (option == "--dir") {
            dir = value;
        } else if (option == "--target") {
            target = value;
        } else if (option == "--port") {
            port = value;
        } else if (option == "--utility") {
            utility = value;
        } else if (option == "--port-dir") {
            portDir = value;
        } else {
            UsageError("unknown option: " + option);
        }
    }
    if (port.empty()) UsageError("--port is required, for example --port COM5");
    if (target.size() > 20) UsageError("--target holds at most 20 characters");
    if (port.size() > 5) UsageError("--port holds at most 5 characters");
    std::error_code error;
    fs::create_directories(dir, error);
    if (!fs::is_directory(dir)) UsageError("cannot make the directory " + dir.string());
    if (portDir && !WaitForEntry(*portDir)) {
        UsageError(portDir->string() + " holds no port after 10 s; start quillet-meter-sim first");
    }

    const fs::path file = dir / CalMod::ExchangeFileName;
    if (!force && fs::exists(fs::symlink_status(file))) {
        UsageError(file.string() + " exists; --force overwrites it");
    }
    const CalMod::RecordBytes sent = CalMod::EncodeRecord(PreparedRecord(target, port));
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(sent.data()), sent.size());
        if (!out) {
            std::cerr << "quillet-host-sim: cannot write " << file << "\n";
            return ExitUtilityFailed;
        }
    }

    std::cout.flush();
    std::optional<PrivateConfig> config;
    try {
        if (portDir) config.emplace(*portDir);
    } catch (const fs::filesystem_error& error) {
        std::cerr << "quillet-host-sim: no configuration of its own for the job: " << error.what()
                  << "\n";
        return ExitUtilityFailed;
    }
    const int status =
        RunUtility(utility, dir, config ? config->Environment() : std::vector<std::string>{});

    const std::vector<unsigned char> back = ReadAll(file);
    if (back.size() != RecordLength) {
        std::cout << "record: " << back.size() << " bytes instead of " << RecordLength << "\n";
        return ExitDamaged;
    }
    const ExtCtrlRec got = CalMod::DecodeRecord(back);
    ExtCtrlRec expected = CalMod::DecodeRecord(sent);
    expected.ResultText = got.ResultText;
    expected.Number14 = got.Number14;
    expected.Number15 = got.Number15;
    const bool intact = (got == expected);

    std::cout << "ResultText: \"" << station::RecordTextUtf8(CalMod::FieldView(got.ResultText))
              << "\"\n"
              << "Number14: " << got.Number14 << "\n"
              << "Number15: " << got.Number15 << "\n"
              << "Other fields: " << (intact ? "unchanged" : "CHANGED") << "\n";
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
    const bool blank = FieldView(got.ResultText).find_first_not_of(' ') == std::string_view::npos;
    const bool untouched = got.ResultText == CalMod::DecodeRecord(sent).ResultText;
    return blank || untouched ? ExitNoReading : ExitReading;
}
