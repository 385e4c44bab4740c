// A Windows GUI program that only makes the utility's status window, through
// the same form and Win32 backend: caption, size, label and icon, shown and
// repainted as a job does, then ends. Its run time under Wine less the empty
// program's is Wine's cost for the window; the utility's row less this one is
// the job's own cost.
#include <windows.h>

#include <cstdlib>

#include "ui/main_form.hpp"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ui::Form& form = ui::MainForm();
    form.Show();
    form.Repaint();
    form.Repaint();
    form.AppendStatus("Reading from 189...\r\r");
    form.RepaintLabel();
    form.AppendStatus("Reading = 1234.5Ohms\r\r");
    form.Repaint();
    form.AppendStatus("Passing reading to Vantor...");
    form.Repaint();
    std::exit(0);
}
