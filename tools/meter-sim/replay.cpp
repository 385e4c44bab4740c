#include "tools/meter-sim/replay.hpp"

#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string_view>

namespace meter_sim {

namespace {

// Just enough JSON for a journal line: objects, arrays, strings whose \u
// escapes below 256 are bytes, numbers, true, false and null.
struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    const Json& operator[](const std::string& key) const {
        const auto found = fields.find(key);
        if (kind != Kind::Object || found == fields.end()) {
            throw std::runtime_error("no \"" + key + "\" in the entry");
        }
        return found->second;
    }
};

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    Json Document() {
        Json value = Value();
        Skip();
        if (pos_ != text_.size()) Fail("text after the entry");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error(what + " at character " + std::to_string(pos_ + 1));
    }
    void Skip() {
        while (pos_ < text_.size() && std::string_view(" \t\r\n").find(text_[pos_]) != std::string_view::npos) {
            ++pos_;
        }
    }
    bool Take(char c) {
        Skip();
        if (pos_ < text_.size() && text_[pos_] == c) {
            ++pos_;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Take(c)) Fail(std::string("'") + c + "' expected");
    }

    Json Value() {
        Skip();
        if (pos_ >= text_.size()) Fail("unexpected end");
        Json value;
        const char c = text_[pos_];
        if (c == '{') {
            value.kind = Json::Kind::Object;
            ++pos_;
            if (Take('}')) return value;
            do {
                Skip();
                const std::string key = String();
                Expect(':');
                value.fields[key] = Value();
            } while (Take(','));
            Expect('}');
        } else if (c == '[') {
            value.kind = Json::Kind::Array;
            ++pos_;
            if (Take(']')) return value;
            do value.items.push_back(Value());
            while (Take(','));
            Expect(']');
        } else if (c == '"') {
            value.kind = Json::Kind::String;
            value.text = String();
        } else if (text_.substr(pos_, 4) == "true" || text_.substr(pos_, 5) == "false") {
            value.kind = Json::Kind::Bool;
            pos_ += text_[pos_] == 't' ? 4 : 5;
        } else if (text_.substr(pos_, 4) == "null") {
            pos_ += 4;
        } else {
            const std::string rest(text_.substr(pos_, 64));
            char* end = nullptr;
            value.kind = Json::Kind::Number;
            value.number = std::strtod(rest.c_str(), &end);
            if (end == rest.c_str()) Fail("a value expected");
            pos_ += static_cast<std::size_t>(end - rest.c_str());
        }
        return value;
    }

    std::string String() {
        if (pos_ >= text_.size() || text_[pos_] != '"') Fail("a string expected");
        ++pos_;
        std::string bytes;
        while (pos_ < text_.size() && text_[pos_] != '"') {
            char c = text_[pos_++];
            if (c == '\\' && pos_ < text_.size()) {
                c = text_[pos_++];
                if (c == 'u') {
                    const std::string hex(text_.substr(pos_, 4));
                    char* end = nullptr;
                    const long code = std::strtol(hex.c_str(), &end, 16);
                    if (hex.size() != 4 || end != hex.c_str() + 4) Fail("bad \\u escape");
                    if (code > 0xFF) Fail("a character above \\u00ff is no byte");
                    c = static_cast<char>(code);
                    pos_ += 4;
                } else if (c == 'n') {
                    c = '\n';
                } else if (c == 'r') {
                    c = '\r';
                } else if (c == 't') {
                    c = '\t';
                } else if (c == 'b') {
                    c = '\b';
                } else if (c == 'f') {
                    c = '\f';
                }
            }
            bytes += c;
        }
        if (pos_ >= text_.size()) Fail("unterminated string");
        ++pos_;
        return bytes;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

ReplayedAnswers LoadReplay(const std::string& file, long job) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read the journal " + file);
    std::vector<std::string> lines;  // one job each; blank lines are none
    for (std::string line; std::getline(in, line);) {
        if (line.find_first_not_of(" \t\r") != std::string::npos) lines.push_back(line);
    }
    if (lines.empty()) throw std::runtime_error(file + " holds no job");
    if (job > static_cast<long>(lines.size())) {
        throw std::runtime_error(file + " holds " + std::to_string(lines.size()) + " jobs, not " +
                                 std::to_string(job));
    }
    const std::size_t index = job == 0 ? lines.size() - 1 : static_cast<std::size_t>(job - 1);
    try {
        const Json entry = Parser(lines[index]).Document();
        ReplayedAnswers answers;
        for (const Json& query : entry["queries"].items) {
            for (const Json& attempt : query["attempts"].items) {
                auto& reads = answers.emplace_back();
                for (const Json& read : attempt["reads"].items) {
                    reads.push_back({read["at"].number, read["bytes"].text});
                }
            }
        }
        return answers;
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(file + ", job " + std::to_string(index + 1) + ": " + error.what());
    }
}

}  // namespace meter_sim
