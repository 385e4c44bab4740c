// The X server as the FLTK window needs it beyond FLTK: the display opened so
// that its loss leaves the process running, and the window manager's frame.
#pragma once

namespace ui {

// Opens the display for FLTK, once (later calls only report it open); false
// when none can be opened. The display is probed before FLTK sees it, because
// FLTK ends the process when it cannot open one. Xlib would also end the
// process when the connection breaks later (the server ended, a remote session
// dropped); instead the loss is noted and the job goes on without its window.
bool OpenX11Display();

// Whether the connection to the X server has broken since it was opened.
bool X11DisplayLost();

// The widths of the frame a window manager draws around a window.
struct X11Frame {
    long left = 0, right = 0, top = 0, bottom = 0;
};

// The frame the window manager will put around a top-level window of the
// given fixed size, asked for before the form is mapped: FLTK creates and maps
// its window in one step, so a stand-in window of the same size and size
// hints, never mapped, carries the request (_NET_REQUEST_FRAME_EXTENTS),
// whose answer is its _NET_FRAME_EXTENTS property. No frame without a window
// manager that answers within FrameTimeout.
X11Frame X11FrameOf(int width, int height);

}  // namespace ui
