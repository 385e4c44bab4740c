#include "ui/centre.hpp"

namespace ui {

Position CentredPosition(float screenWidth, float screenHeight, float windowWidth,
                         float windowHeight) {
    Position position{};
    position.Left = (screenWidth - windowWidth) / 2.0f;
    position.Top = (screenHeight - windowHeight) / 2.0f;
    return position;
}

}  // namespace ui
