#include "reading/take_reading.hpp"

#include "meter/query.hpp"
#include "reading/convert.hpp"
#include "ui/main_form.hpp"

namespace reading {

std::string TakeReading(std::string_view targetText, std::vector<std::string>* replies) {
    static const std::string Query = "QM";

    ui::MainForm().AppendStatus("Reading from 189...\r\r");
    ui::MainForm().RepaintLabel();  // on screen while the meter is queried

    // The first answer only wakes the meter up; the second is the reading.
    const std::string first = meter::SendQuery(ui::MainForm().SerCom(), Query);
    if (replies) replies->push_back(first);
    const std::string reply = meter::SendQuery(ui::MainForm().SerCom(), Query);
    if (replies) replies->push_back(reply);

    return ConvertReply(reply, targetText);
}

}  // namespace reading
