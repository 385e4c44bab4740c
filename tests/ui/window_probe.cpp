// Shows the status window the way a job does, through the program's own
// accessor, then stays for the given number of seconds (default 0) without
// handling events, and ends with std::exit as the program does.
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "common/job_status.hpp"
#include "ui/main_form.hpp"

int main(int argc, char** argv) {
    const int staySeconds = argc > 1 ? std::stoi(argv[1]) : 0;
    ui::Form& form = ui::MainForm();
    form.Show();
    form.Repaint();
    form.Repaint();
    form.AppendStatus(jobstatus::ReadingFrom);
    form.RepaintLabel();
    form.AppendStatus(jobstatus::ReadingIs("1234.5Ohms"));
    form.Repaint();
    form.AppendStatus(jobstatus::Passing);
    form.Repaint();
    std::this_thread::sleep_for(std::chrono::seconds(staySeconds));
    std::exit(0);
}
