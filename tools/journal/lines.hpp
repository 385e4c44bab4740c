// A journal file read one line at a time, so that a file of any size is read
// in the memory of its longest line.
#pragma once

#include <cstdint>
#include <istream>
#include <string>

namespace journal_tool {

class LineReader {
public:
    explicit LineReader(std::istream& in) : in_(in) {}

    // The next line without its line feed; false at the end of the file.
    bool Next() {
        if (!std::getline(in_, line_)) return false;
        ++number_;
        whole_ = !in_.eof();  // getline stops at the end of the file only when no line feed came
        return true;
    }
    const std::string& Line() const { return line_; }
    std::uint64_t Number() const { return number_; }  // 1 for the file's first line
    bool EndsInLineFeed() const { return whole_; }
    // Whether reading stopped on an error of the file rather than at its end.
    bool Failed() const { return in_.bad(); }

private:
    std::istream& in_;
    std::string line_;
    std::uint64_t number_ = 0;
    bool whole_ = false;
};

}  // namespace journal_tool
