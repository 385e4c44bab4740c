#include "reading/convert.hpp"

#include <gtest/gtest.h>

#include <string>

#include "reading/prefix.hpp"
#include "reading/text.hpp"

namespace {

TEST(PrefixFactor, FirstCharacterOnlyCaseSensitive) {
    struct Case {
        const char* unit;
        double factor;
    };
    const Case cases[] = {
        {"", 1},      {"TOhm", 1e12}, {"GHz", 1e9},  {"MOhm", 1e6},  {"Meg", 1e6},
        {"kH", 1e3},  {"KHz", 1e3},   {"mV", 1e-3},  {"mega", 1e-3}, {"m/s", 1e-3},
        {"uF", 1e-6}, {"nF", 1e-9},   {"pF", 1e-12}, {"fF", 1e-15},  {"aA", 1e-18},
        {"Ohm", 1},   {"Hz", 1},      {"V", 1},      {" mV", 1},     {"\xB5V", 1e-6},
        {"PHz", 1},   {"hPa", 1},     {"cm", 1},     {"dB", 1},      {"1mV", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.unit);
        EXPECT_EQ(reading::PrefixFactor(c.unit), c.factor);
    }
}

TEST(ConvertReply, ResultText) {
    struct Case {
        std::string reply;
        std::string target;
        std::string result;
    };
    const Case cases[] = {
        {"0\r+1.2345 kOhms\r", "1000 Ohms", "1234.5Ohms"},
        {"100.00 kHz\r", "1 kHz", "100kHz"},
        {"1.5 MOhms\r", "1 kOhms", "1500kOhms"},
        {"0.123 V DC\r", "1 V", "0.123V"},  // a leading "0" without CR stays
        {"-0.000 V DC\r", "1 V", "-0V"},
        {"12.345 V DC\r", "", "12.345"},
        {"12.345 V DC\r", "10", "12.345"},
        {"12.345 V DC\r", "10.000 V DC", "12.345DC"},
        {"12.345 V DC\r", "10.0 m/s", "12.345s"},
        {"12.345 V DC\r", std::string(20, '\0'), "12.345"},
        // The micro sign (Windows-1252 byte 0xB5) is micro, in the target and the reply.
        {"12.345 V DC\r", "1 \xB5V", "12345000.0311681\xB5V"},
        {"5.0 \xB5V DC\r", "1 V", "4.99999998737621E-06V"},
        {"12.345 mV DC\r", "mV", "12.345mV"},  // equal prefixes cancel
        {"1.000 kHz\r", "1 MHz", "0.001MHz"},
        {"+1.2345E+05 Ohms\r", "1 MOhms", "0.12345MOhms"},
        {"1.5 V D-C\r", "1 V", "-1.5V"},  // a "-" anywhere makes the result negative
        // ... except the sign of the exponent of the number that is read.
        {"+1.5E-03 V DC\r", "1 V", "0.0015V"},
        {"0\r1.5 e -3 V DC\r", "1 V", "0.0015V"},
        {"-1.5E-03 V DC\r", "1 V", "-0.0015V"},
        {"1.5E-03 V D-C\r", "1 V", "-0.0015V"},
        // The single-precision factors show when the prefixes differ.
        {"12.345 V DC\r", "mV", "12344.999413644mV"},
        {"2.5 uFarads\r", "nF", "2500.00006439294nF"},
        // Sign and number beyond the record's 20 characters: fewer digits, rounded.
        {"-0.012 mV DC\r", "0.000 V", "-1.2000000569969E-05V"},
        {"-12.345 uV DC\r", "1 V", "-1.2344999968832E-05V"},
        {"-0.000123456789012347 V DC\r", "1 V", "-0.00012345678901235V"},
        {"1.2345678901234E-80 aV DC\r", "1 TV", "1.2345679517403E-110TV"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply + " / " + c.target);
        EXPECT_EQ(reading::ConvertReply(c.reply, c.target), c.result);
    }
}

TEST(ConvertReply, EmptyReplyGivesEmptyResult) {
    EXPECT_EQ(reading::ConvertReply("", "1 V"), "");
    EXPECT_EQ(reading::ConvertReply("", ""), "");
}

TEST(ConvertReply, ReplyThatCannotBeConvertedIsAFailure) {
    struct Case {
        const char* reply;
        const char* target;
    };
    const Case cases[] = {
        {"0\r", "1 V"},               // no digit
        {"V DC -\r", "1 V"},          // no digit
        {"12.345\r", "1 V"},          // no unit word, no blank
        {"12.345 V\r", "1 V"},        // no further word: no blank left before the unit
        {"1.5Hz\r", "1 Hz"},          // unit word without a blank in front
        {"1E999 V DC\r", "1 V"},      // number too large for a double
        {"1E308 TOhms\r", "1 Ohms"},  // product overflows
        {"1E300 V DC\r", "1 aV"},     // quotient overflows
        // Anything but blanks between the number and its unit: not a reading.
        {"1.5E- V DC\r", "1 V"},
        {"0\r+10\r+1.2345 kOhms\r", "1 Ohms"},  // a partial reply completed on the retry
        {"+12.3?5 V DC\r", "1 V"},
        {"345 V DC\r12.345 V DC\r", "1 V"},
        {"+1.5 mV \x01\x02 -\x7F\xFF\r", "1 V"},  // garbage after a reading
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        EXPECT_THROW(reading::ConvertReply(c.reply, c.target), reading::ConversionError);
    }
}

}  // namespace
