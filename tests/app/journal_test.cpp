#include "app/journal.hpp"

#include <gtest/gtest.h>

using namespace CalMod;

// Text fields hold strictly valid UTF-8: every byte of anything else escaped.
TEST(JournalLine, TextFieldsAreStrictlyValidUtf8) {
    const struct {
        std::string directory;
        std::string json;
    } cases[] = {
        {"\xC3\xA9\xF0\x9F\x98\x80", "\"\xC3\xA9\xF0\x9F\x98\x80\""},
        {"\xE0\x80\xAF", R"("\u00e0\u0080\u00af")"},        // overlong '/'
        {"\xED\xA0\x80", R"("\u00ed\u00a0\u0080")"},        // a surrogate
        {"\xF4\x90\x80\x80", R"("\u00f4\u0090\u0080\u0080")"},  // above U+10FFFF
        {"\xC3", R"("\u00c3")"},                            // cut short
    };
    for (const auto& c : cases) {
        JournalEntry entry;
        entry.directory = c.directory;
        EXPECT_NE(JournalLine(entry).find("\"directory\":" + c.json + ","), std::string::npos)
            << c.json;
    }
}
