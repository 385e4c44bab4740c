// A strict JSON reader (RFC 8259) for a line of the utility's journal. It
// reads the text by its meaning: strings become code points, whether written
// as \u escapes (surrogate pairs joined) or as UTF-8, so that a line rewritten
// by any JSON tool reads the same. Nesting is limited, so that no line,
// however deep, exhausts the stack.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tools::json {

// The deepest nesting of arrays and objects read; a journal line needs 7.
inline constexpr int MaxDepth = 64;

struct Value {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    double number = 0;                       // a number's value, always finite
    std::u32string text;                     // a string's code points
    std::vector<Value> items;                // an array's values
    std::map<std::u32string, Value> fields;  // an object's members; a repeated key: the last
};

// The one value that `text` holds, white space around it allowed. Throws
// std::runtime_error, one line saying what is wrong and at which byte, on
// anything that is not JSON: bad syntax, UTF-8 that is not valid, a lone
// surrogate, a number beyond a double, nesting deeper than MaxDepth.
Value Parse(std::string_view text);

}  // namespace tools::json
