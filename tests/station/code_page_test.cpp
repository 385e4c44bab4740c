// The record's code page on POSIX systems: its bytes shown as Windows-1252.
#include "station/code_page.hpp"

#include <gtest/gtest.h>

#include <string>

TEST(CodePage, RecordBytesReadAsWindows1252) {
    EXPECT_EQ(station::RecordTextUtf8("Reading = 1.5mV"), "Reading = 1.5mV");
    EXPECT_EQ(station::RecordTextUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(station::RecordTextUtf8("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(station::RecordTextUtf8("\x81"), "\xC2\x81");      // undefined: C1 control
    EXPECT_EQ(station::RecordTextUtf8("\x8D\x8F\x90\x9D"), "\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(station::RecordTextUtf8("\x9F"), "\xC5\xB8");  // Y with diaeresis
    EXPECT_EQ(station::RecordTextUtf8("\xB5"), "\xC2\xB5");  // micro sign
    EXPECT_EQ(station::RecordTextUtf8("\xFF"), "\xC3\xBF");
}
