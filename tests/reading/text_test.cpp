#include "reading/text.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

using reading::ConversionError;

TEST(TextRules, DigitAndUnitCharacterBoundaries) {
    struct Case {
        char c;
        bool digit;
        bool unit;
    };
    const Case cases[] = {{'0', true, false},    {'9', true, false},    {'/', false, false},
                          {':', false, true},    {' ', false, false},   {'.', false, false},
                          {'-', false, false},   {'\0', false, false},  {'A', false, true},
                          {'\x7f', false, true}, {'\x80', false, true}, {'\xb5', false, true},
                          {'\xff', false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(c.c)));
        EXPECT_EQ(reading::IsDigit(c.c), c.digit);
        EXPECT_EQ(reading::IsUnitChar(c.c), c.unit);
    }
}

TEST(TextRules, TrimRemovesOnlyBlanksAtBothEnds) {
    EXPECT_EQ(reading::Trim("  10.000 mV  "), "10.000 mV");
    EXPECT_EQ(reading::Trim("\tmV\r"), "\tmV\r");
    EXPECT_EQ(reading::Trim("   "), "");
}

// Blanks, tabs and line feeds are skipped anywhere; CR and the comma are not;
// a second full stop or a dangling exponent letter ends the number; an
// underflow gives 0.
TEST(LeadingValue, ReadsTheNumberAtTheStart) {
    struct Case {
        std::string text;
        double value;
    };
    const std::vector<Case> cases = {{"12.345 V DC", 12.345},
                                     {" 1 2 . 5", 12.5},
                                     {"\t-\n3.5", -3.5},
                                     {"+7", 7},
                                     {"1.5.7", 1.5},
                                     {".5", 0.5},
                                     {"5.", 5},
                                     {"1,5", 1},
                                     {"1\r2", 1},
                                     {"1.5D3", 1500},
                                     {"2d-2", 0.02},
                                     {"1 E 2", 100},
                                     {"3E", 3},
                                     {"3E+", 3},

                                     {"&H1F", 31},
                                     {"&h1f", 31},
                                     {" & H 1 F", 31},

                                     {"&O17", 15},
                                     {"&o78", 7},
                                     {"&H", 0},
                                     {"&X1", 0},
                                     {"", 0},
                                     {"V DC", 0},
                                     {"-", 0},
                                     {".", 0},
                                     {"1E-999", 0},
                                     {"0E99999", 0},
                                     {"0." + std::string(399, '0') + "1E400", 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(reading::LeadingValue(c.text), c.value);
    }
}

TEST(LeadingValue, ValueTooLargeForADoubleIsAFailure) {
    EXPECT_THROW(reading::LeadingValue("1E999"), ConversionError);
    EXPECT_THROW(reading::LeadingValue("-1D400"), ConversionError);
    EXPECT_THROW(reading::LeadingValue("1" + std::string(400, '0')), ConversionError);
    EXPECT_THROW(reading::LeadingValue("1E99999999999999999999"), ConversionError);
    EXPECT_THROW(reading::LeadingValue("&H" + std::string(300, 'F')), ConversionError);
}

TEST(ValueText, FifteenDigitForm) {
    EXPECT_EQ(reading::ValueText(12.345000000000001), "12.345");
    EXPECT_EQ(reading::ValueText(0.00001), "1E-05");
    EXPECT_EQ(reading::ValueText(1.5e15), "1.5E+15");
    EXPECT_EQ(reading::ValueText(-0.0), "-0");
}

// The text form must match C's "%.15G" (this test binary runs in the C locale).
TEST(ValueText, MatchesPrintfFifteenG) {
    std::vector<double> values = {0.0001, 0.00001, 1e14, 1e15, 123456789012345678.0, 100};
    for (int exponent = -320; exponent <= 308; ++exponent) {
        for (double mantissa : {1.0, 1.5, 5.0, 9.99999999999999, 9.999999999999999,
                                1.2345678901234567, 3.141592653589793}) {
            const double value = mantissa * std::pow(10.0, exponent);
            values.push_back(value);
            values.push_back(-value);
        }
    }
    std::mt19937_64 random(20240101);
    while (values.size() < 20000) {
        const auto value = std::bit_cast<double>(random());
        if (std::isfinite(value)) values.push_back(value);
    }
    for (double value : values) {
        if (!std::isfinite(value)) continue;
        char expected[40];
        std::snprintf(expected, sizeof expected, "%.15G", value);
        ASSERT_EQ(reading::ValueText(value), expected) << std::hexfloat << value;
    }
}

TEST(ValueText, NonFiniteValueIsAFailure) {
    EXPECT_THROW(reading::ValueText(INFINITY), ConversionError);
    EXPECT_THROW(reading::ValueText(-INFINITY), ConversionError);
    EXPECT_THROW(reading::ValueText(NAN), ConversionError);
}

TEST(TextValue, ReadsValueTextFormAndRejectsAnythingElse) {
    EXPECT_EQ(reading::TextValue("-0.0001"), -0.0001);
    EXPECT_EQ(reading::TextValue("1.5E+15"), 1.5e15);
    EXPECT_EQ(reading::TextValue("4.94065645841247E-324"), 4.94065645841247E-324);
    for (const char* text :
         {"", "abc", "12.5 V", " 12", "12 ", "1,5", "12.5x", "inf", "nan", "-", ".", "1E999"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(reading::TextValue(text), ConversionError);
    }
}

TEST(NumberConversions, FullStopWhateverTheLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    bool commaLocale = false;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR"}) {
        if (std::setlocale(LC_ALL, name) != nullptr &&
            std::string(std::localeconv()->decimal_point) == ",") {
            commaLocale = true;
            break;
        }
    }
    if (!commaLocale) {
        std::setlocale(LC_ALL, saved.c_str());
        // A skip, unless every test must run (scripts/test, CI).
        const char* const requireAll = std::getenv("QUILLET_REQUIRE_ALL_TESTS");
        const char* const why = "no locale with a comma separator (Debian package locales)";
        if (requireAll != nullptr && std::string(requireAll) == "1") FAIL() << why;
        GTEST_SKIP() << why;
    }
    EXPECT_EQ(reading::ValueText(12.5), "12.5");
    EXPECT_EQ(reading::ValueText(1.5e-7), "1.5E-07");
    EXPECT_EQ(reading::LeadingValue("12.5"), 12.5);
    EXPECT_EQ(reading::LeadingValue("12,5"), 12);
    EXPECT_EQ(reading::TextValue("12.5"), 12.5);
    EXPECT_THROW(reading::TextValue("12,5"), ConversionError);
    EXPECT_EQ(reading::NormalisedText(0.123), "0.123");
    std::setlocale(LC_ALL, saved.c_str());
}

}  // namespace
