#include "tools/journal/entry.hpp"

#include <cmath>

#include "station/utf8.hpp"
#include "tools/common/json.hpp"

namespace journal_tool {

namespace {

using tools::json::Value;

const Value* Field(const Value& object, std::string_view key) {
    const auto found = object.fields.find(std::u32string(key.begin(), key.end()));
    return found == object.fields.end() ? nullptr : &found->second;
}

const Value& Required(const Value& object, std::string_view key, Value::Kind kind) {
    const Value* value = Field(object, key);
    if (!value) throw NotAnEntry("no \"" + std::string(key) + "\"");
    if (value->kind != kind) throw NotAnEntry("\"" + std::string(key) + "\" of the wrong kind");
    return *value;
}

// A byte string: each character's code is a byte.
std::string Bytes(const Value& object, std::string_view key) {
    std::string bytes;
    for (const char32_t code : Required(object, key, Value::Kind::String).text) {
        if (code > 0xFF) throw NotAnEntry("\"" + std::string(key) + "\" holds a character above U+00FF");
        bytes += static_cast<char>(code);
    }
    return bytes;
}

std::string Text(const Value& object, std::string_view key) {
    std::string text;
    for (const char32_t code : Required(object, key, Value::Kind::String).text) {
        station::AppendUtf8(text, code);
    }
    return text;
}

bool IsDigest(const std::u32string& text) {
    if (text.size() != 64) return false;
    for (const char32_t c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}

}  // namespace

Entry ReadEntry(std::string_view line) {
    const Value value = tools::json::Parse(line);
    if (value.kind != Value::Kind::Object) throw NotAnEntry("not a JSON object");
    Entry entry;
    entry.start = Text(value, "start");
    entry.port = Bytes(value, "port");
    entry.target = Bytes(value, "target");
    entry.result = Bytes(value, "result");
    entry.outcome = Text(value, "outcome");
    const Value* seq = Field(value, "seq");
    if (!seq) return entry;  // from before the chain
    entry.chained = true;
    if (seq->kind == Value::Kind::Number) {
        if (seq->number < 1 || seq->number > 9007199254740992.0 || std::floor(seq->number) != seq->number) {
            throw NotAnEntry("\"seq\" is not a whole number from 1");
        }
        entry.seq = static_cast<std::uint64_t>(seq->number);
    } else if (seq->kind != Value::Kind::Null) {
        throw NotAnEntry("\"seq\" of the wrong kind");
    }
    const Value* prev = Field(value, "prev");
    if (!prev) throw NotAnEntry("no \"prev\"");
    if (prev->kind == Value::Kind::String && IsDigest(prev->text)) {
        entry.prev = std::string(prev->text.begin(), prev->text.end());
    } else if (prev->kind != Value::Kind::Null) {
        throw NotAnEntry("\"prev\" is neither null nor 64 lowercase hex digits");
    }
    Required(value, "locked", Value::Kind::Bool);
    return entry;
}

}  // namespace journal_tool
