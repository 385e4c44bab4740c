#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <vector>

#include "app/port_number.hpp"
#include "app/record.hpp"
#include "tools/common/escape.hpp"
#include "tools/common/station_apart_posix.hpp"
#include "tools/journal/command_line.hpp"
#include "tools/journal/replay.hpp"
#include "tools/journal/show.hpp"

namespace fs = std::filesystem;

namespace journal_tool {

namespace {

// The program of that name beside quillet-journal, else the first on PATH.
fs::path FindProgram(const std::string& name) {
    std::error_code error;
    fs::path beside = fs::read_symlink("/proc/self/exe", error).parent_path() / name;
    if (!error && access(beside.c_str(), X_OK) == 0) return beside;
    const char* path = std::getenv("PATH");
    for (std::string_view dirs = path ? path : ""; !dirs.empty();) {
        const std::size_t colon = dirs.find(':');
        fs::path candidate = fs::path(dirs.substr(0, colon)) / name;
        if (!candidate.parent_path().empty() && access(candidate.c_str(), X_OK) == 0) return candidate;
        dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    }
    throw std::runtime_error("cannot find " + name + " beside quillet-journal or on the PATH");
}

// A folder of the replay's own in the temporary directory, removed with the object.
class Scratch {
public:
    Scratch() {
        std::string name = (fs::temp_directory_path() / "quillet-journal.XXXXXX").string();
        if (mkdtemp(name.data()) == nullptr) {
            throw std::runtime_error("cannot make a scratch folder: " + std::string(std::strerror(errno)));
        }
        root_ = name;
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    ~Scratch() {
        std::error_code error;
        fs::remove_all(root_, error);
    }
    const fs::path& Root() const { return root_; }

private:
    fs::path root_;
};

// A started program, ended by SIGTERM and waited for when the object goes.
class Child {
public:
    // Starts argv[0] in `dir` with `environment` added; its standard output
    // into `out` (a descriptor, or -1 for /dev/null).
    Child(const std::vector<std::string>& argv, const fs::path& dir,
          std::vector<std::string> environment, int out) {
        std::vector<char*> args;
        args.reserve(argv.size() + 1);
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        pid_ = fork();
        if (pid_ < 0) throw std::runtime_error("cannot start " + argv[0]);
        if (pid_ > 0) return;
        if (out < 0) out = open("/dev/null", O_WRONLY);
        if (chdir(dir.c_str()) != 0 || dup2(out, STDOUT_FILENO) < 0) _exit(127);
        for (std::string& setting : environment) putenv(setting.data());
        unsetenv("DISPLAY");  // the job runs headless: no window on the lab's desk
        execv(args[0], args.data());
        std::fprintf(stderr, "quillet-journal: cannot start %s: %s\n", args[0], std::strerror(errno));
        _exit(127);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        Wait();
    }
    // The exit status, or -1 when the program did not end normally.
    int Wait() {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0) {
            if (errno != EINTR) return -1;
        }
        pid_ = 0;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = 0;
};

// The entry with that seq, its line and fields; the first when there are several.
std::pair<std::string, Entry> FindEntry(const std::string& file, std::uint64_t seq) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + file);
    Filter filter;
    filter.seq = seq;
    std::optional<std::pair<std::string, Entry>> found;
    ForEachMatch(in, filter, [&](const std::string& line, const Entry& entry) {
        if (!found) found.emplace(line, entry);
    });
    if (!found) throw std::runtime_error(file + " holds no entry with seq " + std::to_string(seq));
    return *found;
}

// Waits for the meter simulator's first line (its terminal, once it serves);
// false when it ended without one.
bool MeterReady(int fd) {
    char byte = 0;
    ssize_t got = 0;
    while ((got = read(fd, &byte, 1)) > 0 || (got < 0 && errno == EINTR)) {
        if (got > 0 && byte == '\n') return true;
    }
    return false;
}

std::string ResultText(const fs::path& record) {
    std::ifstream in(record, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    if (bytes.size() != CalMod::RecordLength) throw std::runtime_error("the replayed job left no whole record");
    const CalMod::ExtCtrlRec back = CalMod::DecodeRecord(bytes);
    const std::string_view field = CalMod::FieldView(back.ResultText);
    const std::size_t end = field.find_last_not_of(' ');
    return std::string(end == std::string_view::npos ? std::string_view() : field.substr(0, end + 1));
}

// The station's own folder is read whatever the environment says: where it
// would reach the replayed job, the replay refuses to run.
void RefuseTheStationsConfiguration(const fs::path& config, int port) {
    if (const std::optional<std::string> reached = tools::StationSetupReached(config, port)) {
        throw std::runtime_error(*reached + "; replay a copy of the journal on a computer whose "
                                 "station folder maps no port and keeps no journal");
    }
}

// Runs the job of the entry's line and returns the result its record got.
std::string RunReplay(const std::string& line, const Entry& entry, int port) {
    const fs::path meterSim = FindProgram("quillet-meter-sim");
    const fs::path utility = FindProgram("quillet-reading-utility");
    const Scratch scratch;
    const fs::path config = scratch.Root() / "config", ports = config / "quillet" / "ports";
    const fs::path job = scratch.Root() / "job";
    fs::create_directories(ports);
    fs::create_directories(job);
    std::ofstream(scratch.Root() / "entry.jsonl", std::ios::binary) << line << '\n';
    CalMod::ExtCtrlRec record;
    record.TargetText = CalMod::FieldText<20>(entry.target);
    record.PortName = CalMod::FieldText<5>(entry.port);
    const CalMod::RecordBytes bytes = CalMod::EncodeRecord(record);
    std::ofstream(job / CalMod::ExchangeFileName, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("cannot make a pipe");
    Child meter({meterSim.string(), "--port-dir", ports.string(), "--port", std::to_string(port),
                 "--replay", (scratch.Root() / "entry.jsonl").string(), "--job", "1"},
                scratch.Root(), {}, pipeEnds[1]);
    close(pipeEnds[1]);
    const bool ready = MeterReady(pipeEnds[0]);
    close(pipeEnds[0]);
    if (!ready) throw std::runtime_error("the meter simulator did not start");
    RefuseTheStationsConfiguration(config, port);  // the simulator's entry is there now
    // This configuration only: its port map leads to the simulator, and it
    // holds no settings file, so the replay keeps no journal.
    Child run({utility.string()}, job,
              {"XDG_CONFIG_HOME=" + config.string(), "XDG_CONFIG_DIRS=" + config.string()}, -1);
    const int status = run.Wait();
    if (status != 0 && status != 1) throw std::runtime_error("the utility did not end normally");
    return ResultText(job / CalMod::ExchangeFileName);
}

}  // namespace

int Replay(const std::string& file, std::uint64_t seq) {
    try {
        const auto [line, entry] = FindEntry(file, seq);
        const std::optional<int> port = CalMod::NamedPort(entry.port);
        if (!port) throw std::runtime_error("entry " + std::to_string(seq) + " names no port: " +
                                            tools::Visible(entry.port));
        const std::string replayed = RunReplay(line, entry, *port);
        std::cout << "journalled: " << tools::Visible(entry.result) << " (" << tools::Printable(entry.outcome) << ")\n"
                  << "replayed:   " << tools::Visible(replayed) << "\n"
                  << (replayed == entry.result ? "the same\n" : "they differ\n");
        return replayed == entry.result ? ExitSame : ExitDiffers;
    } catch (const std::exception& error) {
        std::cerr << "quillet-journal: " << error.what() << "\n";
        return ExitTrouble;
    }
}

}  // namespace journal_tool
