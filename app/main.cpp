// Quillet Reading Utility: started by the host calibration program with a job
// in ExtCtrl.dat; reads the meter, writes the result back and ends. The command
// line is not read.
#include "app/cal_mod.hpp"

int main() {
    CalMod::Main();
}
