// Holds the Wine prefix's desktop for the seconds given (default 1800), then
// ends. Wine closes a desktop a few seconds after the last program on it ends,
// together with the system processes behind it, and the next program with a
// window then waits seconds (at times ten) for a new desktop to start; the
// tests' shared prefix keeps this program running from its set-up to its
// teardown, so that every test's programs find the desktop ready.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1800;
    // Asking for the desktop window joins the desktop (starting it when none
    // runs), and a program on it keeps it open.
    if (GetDesktopWindow() == nullptr) return 1;
    Sleep(static_cast<DWORD>(seconds > 0 ? seconds : 0) * 1000U);
    return 0;
}
