// The icon's pictures live in the two XPM files beside this one, which the
// Windows build also turns into the executable's .ico.
#include "ui/meter_icon.hpp"

namespace ui {

#include "ui/meter_icon_16.xpm"
#include "ui/meter_icon_32.xpm"

const char* const* const MeterIcon32 = meter_icon_32;
const char* const* const MeterIcon16 = meter_icon_16;

}  // namespace ui
