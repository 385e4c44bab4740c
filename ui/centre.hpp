// Placement of the form at load time.
#pragma once

namespace ui {

struct Position {
    float Left;
    float Top;
};

// Centres a window of the given outer size on a screen of the given size.
// Single-precision halves, not rounded; a window larger than the screen gets a
// negative position (no clamping).
Position CentredPosition(float screenWidth, float screenHeight, float windowWidth,
                         float windowHeight);

}  // namespace ui
