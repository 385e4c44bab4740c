// Holds the Wine prefix's desktop for the seconds given (default 1800). Wine
// closes a desktop a few seconds after its last program ends, and the next
// program with a window then waits seconds (at times ten) for a new one.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    const long seconds = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 1800;
    // Asking for the desktop window joins it (starting it when none runs).
    if (GetDesktopWindow() == nullptr) return 1;
    Sleep(static_cast<DWORD>(seconds > 0 ? seconds : 0) * 1000U);
    return 0;
}
