// The tools' escaped text forms: what the meter-sim log and the reports show,
// and what a TEXT option stands for.
#include "tools/common/escape.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(ToolText, EscapesEveryByteThatIsNotPlainText) {
    const std::string bytes("a\\\"\r\n\t\0\x1F\x7F\xFF", 10);
    EXPECT_EQ(tools::Escape(bytes), R"(a\\"\r\n\t\x00\x1F\x7F\xFF)");
    EXPECT_EQ(tools::Visible(bytes), R"("a\\\"\r\n\t\x00\x1F\x7F\xFF")");
    // Settings text: a Windows path as it is, anything invisible escaped.
    EXPECT_EQ(tools::Printable("C:\\\xC3\xA9\xEF\xBB\xBF\xE2\x80\x8Bx\x01\xFF"),
              "C:\\\xC3\xA9\\uFEFF\\u200Bx\\x01\\xFF");
}

TEST(ToolText, UnescapeReadsTheLogFormBackAndRejectsOtherEscapes) {
    std::string every;
    for (int byte = 0; byte < 256; ++byte) every += static_cast<char>(byte);
    EXPECT_EQ(tools::Unescape(tools::Escape(every)), every);
    EXPECT_EQ(tools::Unescape(R"(\x4a\x6f)"), "Jo");
    for (const char* bad : {R"(\q)", R"(\x4)", R"(\xG0)", "a\\"}) {
        EXPECT_THROW(tools::Unescape(bad), std::invalid_argument) << bad;
    }
}

}  // namespace
