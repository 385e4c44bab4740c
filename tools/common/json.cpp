#include "tools/common/json.hpp"

#include <charconv>
#include <stdexcept>
#include <system_error>

#include "station/utf8.hpp"

namespace tools::json {

namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    Value Document() {
        Value value = Read(0);
        SkipSpace();
        if (pos_ != text_.size()) Fail("text after the value");
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error(what + " at byte " + std::to_string(pos_ + 1));
    }
    bool At(char c) const { return pos_ < text_.size() && text_[pos_] == c; }
    unsigned char Byte(std::size_t at) const { return static_cast<unsigned char>(text_[at]); }
    void SkipSpace() {
        while (At(' ') || At('\t') || At('\n') || At('\r')) ++pos_;
    }
    bool Take(char c) {
        SkipSpace();
        if (!At(c)) return false;
        ++pos_;
        return true;
    }
    void Expect(char c) {
        if (!Take(c)) Fail(std::string("'") + c + "' expected");
    }

    Value Read(int depth) {
        SkipSpace();
        if (pos_ >= text_.size()) Fail("the text ends where a value should be");
        Value value;
        const char c = text_[pos_];
        if (c == '{' || c == '[') {
            if (depth == MaxDepth)
                Fail("nested deeper than " + std::to_string(MaxDepth) + " levels");
            ++pos_;
            if (c == '{') {
                value.kind = Value::Kind::Object;
                if (Take('}')) return value;
                do {
                    SkipSpace();
                    if (!At('"')) Fail("a key expected");
                    std::u32string key = String();
                    Expect(':');
                    value.fields.insert_or_assign(std::move(key), Read(depth + 1));
                } while (Take(','));
                Expect('}');
            } else {
                value.kind = Value::Kind::Array;
                if (Take(']')) return value;
                do value.items.push_back(Read(depth + 1));
                while (Take(','));
                Expect(']');
            }
        } else if (c == '"') {
            value.kind = Value::Kind::String;
            value.text = String();
        } else if (Word("true") || Word("false")) {
            value.kind = Value::Kind::Bool;
        } else if (!Word("null")) {
            value.kind = Value::Kind::Number;
            value.number = Number();
        }
        return value;
    }

    bool Word(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    // -?(0|[1-9][0-9]*)(.[0-9]+)?([eE][+-]?[0-9]+)?
    double Number() {
        const std::size_t start = pos_;
        const auto digits = [this] {
            const std::size_t from = pos_;
            while (pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9') ++pos_;
            return pos_ > from;
        };
        if (At('-')) ++pos_;
        if (At('0')) {
            ++pos_;
        } else if (!digits()) {
            Fail("a value expected");
        }
        if (At('.') && (++pos_, !digits())) Fail("digits expected after the point");
        if (At('e') || At('E')) {
            ++pos_;
            if (At('+') || At('-')) ++pos_;
            if (!digits()) Fail("digits expected in the exponent");
        }
        double number = 0;
        const auto [end, error] =
            std::from_chars(text_.data() + start, text_.data() + pos_, number);
        if (error != std::errc{} || end != text_.data() + pos_) Fail("a number beyond a double");
        return number;
    }

    std::u32string String() {
        ++pos_;  // the opening quote
        std::u32string text;
        for (;;) {
            if (pos_ >= text_.size()) Fail("the text ends inside a string");
            const unsigned char byte = Byte(pos_);
            if (byte == '"') break;
            if (byte < 0x20) Fail("a control character inside a string");
            if (byte == '\\') {
                text += Escape();
            } else if (byte < 0x80) {
                text += byte;
                ++pos_;
            } else {
                text += Utf8();
            }
        }
        ++pos_;
        return text;
    }

    char32_t Escape() {
        ++pos_;  // the backslash
        // Each simple escape's letter, then the character it stands for.
        const std::string_view simple = "\"\"\\\\//b\bf\fn\nr\rt\t";
        for (std::size_t i = 0; i < simple.size(); i += 2) {
            if (At(simple[i])) {
                ++pos_;
                return static_cast<unsigned char>(simple[i + 1]);
            }
        }
        if (!At('u')) Fail("an unknown escape");
        ++pos_;
        const char32_t code = Hex4();
        if (code >= 0xDC00 && code <= 0xDFFF) Fail("a low surrogate without its high one");
        if (code < 0xD800 || code > 0xDBFF) return code;
        if (!Word("\\u")) Fail("a high surrogate without its low one");
        const char32_t low = Hex4();
        if (low < 0xDC00 || low > 0xDFFF) Fail("a high surrogate without its low one");
        return 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }

    char32_t Hex4() {
        char32_t code = 0;
        for (int i = 0; i < 4; ++i, ++pos_) {
            const char c = pos_ < text_.size() ? text_[pos_] : '\0';
            const int digit = c >= '0' && c <= '9'   ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) Fail("\\u needs four hex digits");
            code = code * 16 + static_cast<char32_t>(digit);
        }
        return code;
    }

    // A character of two to four bytes of UTF-8. Overlong forms, surrogates
    // and code points above U+10FFFF are not UTF-8.
    char32_t Utf8() {
        const std::size_t length = station::Utf8SequenceLength(text_, pos_);
        if (length < 2) Fail("invalid UTF-8");
        const char32_t code = station::Utf8CodePoint(text_, pos_, length);
        pos_ += length;
        return code;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

Value Parse(std::string_view text) {
    return Reader(text).Document();
}

}  // namespace tools::json
