// The program's icon: a handheld meter in a yellow holster, as XPM images of
// 32 x 32 and 16 x 16 pixels with at most 16 colours (ui/meter_icon_*.xpm).
#pragma once

namespace ui {

extern const char* const* const MeterIcon32;
extern const char* const* const MeterIcon16;

}  // namespace ui
