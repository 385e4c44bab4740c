#include "app/exchange_file.hpp"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

#include "app/step.hpp"
#include "reading/convert.hpp"
#include "reading/text.hpp"

namespace CalMod {

ExtCtrlRec JobRec;
std::string TargetText;
std::string PortName;

namespace {

// The result field holds what the reading step allows for a result text.
constexpr std::size_t ResultWidth = std::tuple_size_v<decltype(ExtCtrlRec::ResultText)>;
static_assert(ResultWidth == reading::ResultFieldWidth);

// A failure of the exchange file, in words naming the file and the system's
// reason.
class ExchangeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The exchange file by its full name, for messages.
std::string FileName() {
    std::error_code ignored;
    return (std::filesystem::current_path(ignored) / ExchangeFileName).string();
}

// "<file>: <operation>: <the system's reason>", from errno as the failed call
// left it.
ExchangeError SystemError(const char* operation, int error) {
    return ExchangeError(FileName() + ": " + operation + ": " +
                         (error != 0 ? std::strerror(error) : "failed"));
}

// Opens the exchange file in place: an existing file is neither truncated nor
// changed, a missing one is created empty. Only a regular file counts as the
// exchange file: a FIFO would block the job in its read, a device or a
// directory holds no record, so such a file is refused without being opened.
// The stream is unbuffered, so that a write that fails is known at once and
// nothing of it is left to go out later.
std::fstream OpenExchangeFile(const std::filesystem::path& path, std::ios::openmode access) {
    std::error_code statusError;
    const auto kind = std::filesystem::status(path, statusError).type();
    if (kind != std::filesystem::file_type::regular &&
        kind != std::filesystem::file_type::not_found) {
        throw ExchangeError(FileName() + ": not a regular file");
    }
    const auto mode = access | std::ios::binary;
    std::fstream file;
    file.rdbuf()->pubsetbuf(nullptr, 0);
    errno = 0;
    file.open(path, mode);
    if (!file.is_open() && kind == std::filesystem::file_type::not_found) {
        std::ofstream created(path, std::ios::binary | std::ios::app);  // creates, never truncates
        created.close();
        file.open(path, mode);
    }
    if (!file.is_open()) throw SystemError("open", errno);
    return file;
}

std::fstream& Opened(std::optional<std::fstream>& file) {
    if (!file) throw ExchangeError(FileName() + ": not open");
    return *file;
}

// Runs one step of an operation on the file; a failure is also noted in
// `reason`, unless an earlier step's failure is there already.
template <typename Body>
void NotedStep(std::optional<std::string>& reason, Body&& body) {
    Step([&] {
        try {
            body();
        } catch (const std::exception& error) {
            if (!reason) reason = error.what();
            throw;
        }
    });
}

// What the read step found in the file: the bytes it read (fewer than a record
// when the file is shorter), or why it read none. The write-back writes only
// into a file that was read, and after a failed write puts these bytes back.
struct FileAsRead {
    RecordBytes bytes{};
    std::size_t length = 0;
};
std::optional<FileAsRead> fileAsRead;
std::optional<std::string> readFailure;

// After a failed write: the bytes the read found go back in place, and a file
// that the write made longer gets its old length, so that the host finds its
// record as it left it. Whatever fails here leaves the failed write to report.
void PutBack(std::fstream& file, const FileAsRead& before) {
    file.clear();
    file.seekp(0);
    file.write(reinterpret_cast<const char*>(before.bytes.data()),
               static_cast<std::streamsize>(before.length));
    file.flush();
    if (before.length < RecordLength) {
        std::error_code ignored;
        std::filesystem::resize_file(ExchangeFileName, before.length, ignored);
    }
}

}  // namespace

void ReadJob() {
    fileAsRead.reset();
    readFailure.reset();
    std::optional<std::fstream> file;
    // For reading alone: a record the user may read but not write still names
    // the job's port and unit.
    NotedStep(readFailure, [&] {
        file = OpenExchangeFile(std::filesystem::current_path() / ExchangeFileName, std::ios::in);
    });
    NotedStep(readFailure, [&] {
        FileAsRead found;
        auto& in = Opened(file);
        errno = 0;
        in.read(reinterpret_cast<char*>(found.bytes.data()), found.bytes.size());
        if (in.bad()) throw SystemError("read", errno);
        found.length = static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0));
        JobRec = DecodeRecord(std::span(found.bytes.data(), found.length));
        fileAsRead = found;
    });
    Step([&] { TargetText = reading::Trim(FieldView(JobRec.TargetText)); });
    Step([&] { PortName = reading::Trim(FieldView(JobRec.PortName)); });
    Step([&] { Opened(file).close(); });
}

std::string_view StoredResult(std::string_view resultText) {
    return resultText.substr(0, std::min(resultText.size(), ResultWidth));
}

std::optional<std::string> WriteResultBack(std::string_view resultText) {
    std::optional<std::string> notWritten;
    std::optional<std::fstream> file;
    NotedStep(notWritten, [&] {
        // A file the job was not read from is not the host's record as the job
        // knows it: writing JobRec there would overwrite the host's fields.
        if (!fileAsRead) {
            throw ExchangeError(readFailure.value_or(FileName() + ": not read"));
        }
        file = OpenExchangeFile(ExchangeFileName, std::ios::in | std::ios::out);
    });
    // Each assignment is a step of its own, as every step of the job is: a
    // step stands alone whether or not it can fail today.
    Step([&] { JobRec.ResultText = FieldText<ResultWidth>(StoredResult(resultText)); });
    Step([&] { JobRec.Number14 = 0; });
    Step([&] { JobRec.Number15 = 0; });
    NotedStep(notWritten, [&] {
        auto& out = Opened(file);
        const RecordBytes bytes = EncodeRecord(JobRec);
        out.clear();
        out.seekp(0);
        errno = 0;
        out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        out.flush();
        if (!out) {
            const ExchangeError failure = SystemError("write", errno);
            PutBack(out, *fileAsRead);
            throw failure;
        }
    });
    NotedStep(notWritten, [&] {
        auto& out = Opened(file);
        errno = 0;
        out.close();
        if (out.fail()) throw SystemError("close", errno);
    });
    return notWritten;
}

}  // namespace CalMod
