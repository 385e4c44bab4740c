#include "tools/meter-sim/replay.hpp"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <stdexcept>

#include "tools/common/json.hpp"

namespace meter_sim {

namespace {

using tools::json::Value;

// A value of the entry with the path that names it in errors, such as
// queries[1].attempts[0].reads[0].bytes.
struct Node {
    const Value& value;
    std::string path;

    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error(path + ": " + what);
    }

    Node operator[](const std::string& key) const {
        const std::string named = path.empty() ? key : path + "." + key;
        const auto found = value.fields.find(std::u32string(key.begin(), key.end()));
        if (found == value.fields.end()) throw std::runtime_error(named + ": missing");
        return {found->second, named};
    }

    // The items of an array of objects.
    std::vector<Node> Objects() const {
        if (value.kind != Value::Kind::Array) Fail("not an array");
        std::vector<Node> items;
        for (std::size_t i = 0; i < value.items.size(); ++i) {
            items.push_back({value.items[i], path + "[" + std::to_string(i) + "]"});
            if (value.items[i].kind != Value::Kind::Object) items.back().Fail("not an object");
        }
        return items;
    }

    double Seconds() const {
        if (value.kind != Value::Kind::Number || !std::isfinite(value.number) || value.number < 0) {
            Fail("not a number of seconds, 0 or more");
        }
        return value.number;
    }

    // A byte string: each character's code is a byte.
    std::string Bytes() const {
        if (value.kind != Value::Kind::String) Fail("not a string");
        std::string bytes;
        for (const char32_t code : value.text) {
            if (code > 0xFF) {
                char name[16];
                std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
                Fail(std::string(name) + " is above U+00FF: not a byte");
            }
            bytes += static_cast<char>(code);
        }
        return bytes;
    }
};

}  // namespace

ReplayedAnswers ParseReplay(std::string_view line) {
    const Value entry = tools::json::Parse(line);
    if (entry.kind != Value::Kind::Object) throw std::runtime_error("not a JSON object");
    ReplayedAnswers answers;
    for (const Node& query : Node{entry, ""}["queries"].Objects()) {
        for (const Node& attempt : query["attempts"].Objects()) {
            auto& reads = answers.emplace_back();
            for (const Node& read : attempt["reads"].Objects()) {
                reads.push_back({read["at"].Seconds(), read["bytes"].Bytes()});
            }
        }
    }
    return answers;
}

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
        return ParseReplay(lines[index]);
    } catch (const std::runtime_error& error) {
        throw std::runtime_error(file + ", job " + std::to_string(index + 1) + ": " + error.what());
    }
}

}  // namespace meter_sim
