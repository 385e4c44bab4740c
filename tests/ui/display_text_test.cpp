// Display text on Linux: the record's bytes shown as Windows-1252.
#include "ui/display_text.hpp"

#include <gtest/gtest.h>

#include <string>

TEST(DisplayText, ReadsTheBytesAsWindows1252) {
    EXPECT_EQ(ui::DisplayText("Reading = 1.5mV"), "Reading = 1.5mV");
    EXPECT_EQ(ui::DisplayText(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(ui::DisplayText("\x80"), "\xE2\x82\xAC");  // euro sign
    EXPECT_EQ(ui::DisplayText("\x81"), "\xC2\x81");      // undefined: C1 control
    EXPECT_EQ(ui::DisplayText("\x8D\x8F\x90\x9D"), "\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
    EXPECT_EQ(ui::DisplayText("\x9F"), "\xC5\xB8");  // Y with diaeresis
    EXPECT_EQ(ui::DisplayText("\xB5"), "\xC2\xB5");  // micro sign
    EXPECT_EQ(ui::DisplayText("\xFF"), "\xC3\xBF");
}
