#include "tools/journal/time.hpp"

#include <chrono>
#include <ctime>

namespace journal_tool {

namespace {

// Reads the text from its start, field by field.
class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}

    bool AtEnd() const { return pos_ == text_.size(); }
    bool Take(char c) {
        if (pos_ >= text_.size() || text_[pos_] != c) return false;
        ++pos_;
        return true;
    }
    // Exactly `count` digits as a number, or nothing.
    std::optional<int> Digits(std::size_t count) {
        if (text_.size() - pos_ < count) return std::nullopt;
        int value = 0;
        for (std::size_t i = 0; i < count; ++i, ++pos_) {
            const char c = text_[pos_];
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + (c - '0');
        }
        return value;
    }
    // The microseconds of a decimal fraction after its point (1 to 9 digits).
    std::optional<int> Fraction() {
        int micro = 0;
        std::size_t count = 0;
        for (; pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9'; ++pos_, ++count) {
            if (count < 6) micro = micro * 10 + (text_[pos_] - '0');
        }
        if (count == 0 || count > 9) return std::nullopt;
        for (; count < 6; ++count) micro *= 10;
        return micro;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// The offset from UTC in seconds (Z, +HH, +HH:MM, +HHMM, or with -), or
// nothing when the text holds none at its end; false when it is malformed.
bool ReadOffset(Cursor& at, std::optional<int>& offset) {
    if (at.AtEnd()) return true;
    if (at.Take('Z')) {
        offset = 0;
        return at.AtEnd();
    }
    const int sign = at.Take('+') ? 1 : at.Take('-') ? -1 : 0;
    const std::optional<int> hours = sign ? at.Digits(2) : std::nullopt;
    if (!hours || *hours > 23) return false;
    std::optional<int> minutes = 0;
    if (!at.AtEnd()) {
        at.Take(':');
        minutes = at.Digits(2);
    }
    if (!minutes || *minutes > 59 || !at.AtEnd()) return false;
    offset = sign * (*hours * 3600 + *minutes * 60);
    return true;
}

}  // namespace

std::optional<Instant> ParseInstant(std::string_view text) {
    Cursor at(text);
    const auto year = at.Digits(4);
    const auto month = at.Take('-') ? at.Digits(2) : std::nullopt;
    const auto day = at.Take('-') ? at.Digits(2) : std::nullopt;
    if (!year || !month || !day) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year(*year),
                                           std::chrono::month(static_cast<unsigned>(*month)),
                                           std::chrono::day(static_cast<unsigned>(*day))};
    if (!date.ok()) return std::nullopt;
    int hour = 0, minute = 0, second = 0, micro = 0;
    if (at.Take('T') || at.Take(' ')) {
        const auto h = at.Digits(2);
        const auto m = at.Take(':') ? at.Digits(2) : std::nullopt;
        if (!h || !m || *h > 23 || *m > 59) return std::nullopt;
        hour = *h;
        minute = *m;
        if (at.Take(':')) {
            const auto s = at.Digits(2);
            if (!s || *s > 59) return std::nullopt;
            second = *s;
            if (at.Take('.') || at.Take(',')) {
                const auto f = at.Fraction();
                if (!f) return std::nullopt;
                micro = *f;
            }
        }
    }
    std::optional<int> offset;
    if (!ReadOffset(at, offset)) return std::nullopt;

    std::int64_t seconds = 0;
    if (offset) {
        const auto days = std::chrono::sys_days(date).time_since_epoch().count();
        seconds = days * 86400 + std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second - *offset;
    } else {
        std::tm local{};
        local.tm_year = *year - 1900;
        local.tm_mon = *month - 1;
        local.tm_mday = *day;
        local.tm_hour = hour;
        local.tm_min = minute;
        local.tm_sec = second;
        local.tm_isdst = -1;  // whether summer time holds then: the system knows
        const std::time_t made = std::mktime(&local);
        if (made == static_cast<std::time_t>(-1)) return std::nullopt;
        seconds = static_cast<std::int64_t>(made);
    }
    return seconds * 1000000 + micro;
}

}  // namespace journal_tool
