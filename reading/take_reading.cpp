#include "reading/take_reading.hpp"

#include "meter/query.hpp"
#include "reading/convert.hpp"
#include "ui/main_form.hpp"

namespace reading {

std::string TakeReading(std::string_view targetText) {
    static const std::string Query = "QM";

    ui::MainForm().AppendStatus("Reading from 189...\r\r");
    ui::MainForm().RepaintLabel();  // on screen while the meter is queried

    // The first answer only wakes the meter up; the second is the reading.
    meter::SendQuery(ui::MainForm().SerCom(), Query);
    const std::string reply = meter::SendQuery(ui::MainForm().SerCom(), Query);

    return ConvertReply(reply, targetText);
}

}  // namespace reading
