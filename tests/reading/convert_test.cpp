#include "reading/convert.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "reading/prefix.hpp"
#include "reading/text.hpp"
#include "tools/common/escape.hpp"

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

// Every row of the conversion table (conversions.tsv beside this file): the
// result, or a ConversionError where the row says "fails".
TEST(ConvertReply, EveryRowOfTheConversionTable) {
    std::ifstream table(QUILLET_CONVERSIONS_TABLE);
    ASSERT_TRUE(table) << "cannot read " << QUILLET_CONVERSIONS_TABLE;
    int rows = 0;
    int number = 0;
    for (std::string line; std::getline(table, line);) {
        ++number;
        if (line.empty() || line.starts_with('#')) continue;
        std::vector<std::string> columns;
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) columns.push_back(field);
        ASSERT_GE(columns.size(), 3u) << "line " << number << ": " << line;
        const std::string reply = tools::Unescape(columns[0]);
        const std::string target = tools::Unescape(columns[1]);
        SCOPED_TRACE("line " + std::to_string(number) + ": " + line);
        if (columns[2] == "fails") {
            EXPECT_THROW(reading::ConvertReply(reply, target), reading::ConversionError);
        } else {
            EXPECT_EQ(reading::ConvertReply(reply, target), tools::Unescape(columns[2]));
        }
        ++rows;
    }
    EXPECT_GE(rows, 40);  // the whole table was read
}

TEST(ConvertReply, EmptyReplyGivesEmptyResult) {
    EXPECT_EQ(reading::ConvertReply("", "1 V"), "");
    EXPECT_EQ(reading::ConvertReply("", ""), "");
}

}  // namespace
