// A Windows GUI program that does nothing: its run time under Wine is Wine's
// own start and exit cost, the baseline for the utility's row.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return 0;
}
