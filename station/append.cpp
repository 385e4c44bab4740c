#include <stdexcept>
#include <string>

#include "station/append.hpp"
#include "station/facts.hpp"

namespace station {

void AppendWhole(const std::filesystem::path& file, std::string_view line) {
    AppendingFile out(file);
    const std::optional<AppendingFile::End> end = out.FileEnd();
    // A torn last line keeps its bytes, and this one starts on a line of its
    // own, so that each whole entry still reads as one line.
    std::string text = end && !end->lineFeed ? "\n" : "";
    text += line;
    const std::size_t written = out.Write(text);
    if (written != text.size()) {
        // Cut back what went in, unless another job has appended since.
        const std::optional<AppendingFile::End> now = out.FileEnd();
        if (end && now && now->size == end->size + written) out.CutTo(end->size);
        throw std::runtime_error(PathText(file) + ": write: only part of the line went in");
    }
    out.Close();
}

}  // namespace station
