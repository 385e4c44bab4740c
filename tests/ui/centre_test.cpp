#include "ui/centre.hpp"

#include <gtest/gtest.h>

namespace {

struct CentreCase {
    float screenWidth, screenHeight, windowWidth, windowHeight;
    float left, top;
};

TEST(CentredPosition, HalvesTheDifferenceWithoutRoundingOrClamping) {
    const CentreCase cases[] = {
        {1024, 768, 247, 107, 388.5f, 330.5f},     // odd differences keep the half
        {1920, 1080, 248, 108, 836.0f, 486.0f},    // even differences
        {247, 107, 247, 107, 0.0f, 0.0f},          // exactly the screen's size
        {200, 100, 247, 107, -23.5f, -3.5f},       // larger than the screen: negative
        {55575, 24075, 3705, 1605, 25935, 11235},  // twips
    };
    for (const CentreCase& c : cases) {
        const ui::Position p =
            ui::CentredPosition(c.screenWidth, c.screenHeight, c.windowWidth, c.windowHeight);
        EXPECT_EQ(p.Left, c.left) << c.screenWidth << " x " << c.screenHeight;
        EXPECT_EQ(p.Top, c.top) << c.screenWidth << " x " << c.screenHeight;
    }
}

}  // namespace
