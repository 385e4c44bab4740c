// The form's twips in pixels at the common display scales, and the label's
// line breaks.
#include <gtest/gtest.h>

#include <array>

#include "ui/label_text.hpp"
#include "ui/window.hpp"

namespace {

struct Scale {
    int dpi;
    std::array<int, 6> pixels;  // client width, height; label left, top, width, height
};

TEST(FormGeometry, TwipsBecomePixelsAtEachScaleWithHalvesRoundedUp) {
    // 100 %, 125 %, 150 % and 200 %.
    const Scale scales[] = {{96, {247, 107, 5, 6, 236, 97}},
                            {120, {309, 134, 6, 8, 295, 121}},
                            {144, {371, 161, 8, 9, 354, 146}},
                            {192, {494, 214, 10, 12, 472, 194}}};
    for (const Scale& scale : scales) {
        SCOPED_TRACE(scale.dpi);
        const std::array<int, 6> pixels = {
            ui::TwipsToPixels(ui::ClientWidthTwips, scale.dpi),
            ui::TwipsToPixels(ui::ClientHeightTwips, scale.dpi),
            ui::TwipsToPixels(ui::LabelLeftTwips, scale.dpi),
            ui::TwipsToPixels(ui::LabelTopTwips, scale.dpi),
            ui::TwipsToPixels(ui::LabelWidthTwips, scale.dpi),
            ui::TwipsToPixels(ui::LabelHeightTwips, scale.dpi)};
        EXPECT_EQ(pixels, scale.pixels);
        // The label stays inside the client area.
        EXPECT_LE(pixels[2] + pixels[4], pixels[0]);
        EXPECT_LE(pixels[3] + pixels[5], pixels[1]);
    }
}

TEST(LabelText, EveryCrGetsALineFeedAndNothingElseChanges) {
    EXPECT_EQ(ui::WithCrLf(""), "");
    EXPECT_EQ(ui::WithCrLf("Reading from 189...\r\rSettling..."),
              "Reading from 189...\r\n\r\nSettling...");
    EXPECT_EQ(ui::WithCrLf("\r"), "\r\n");
    // A line feed already there stays; bytes above 127 and NUL pass unchanged.
    EXPECT_EQ(ui::WithCrLf(std::string("a\r\nb\xC2\xB5\0c", 8)),
              std::string("a\r\n\nb\xC2\xB5\0c", 9));
}

}  // namespace
