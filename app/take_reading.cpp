#include "app/take_reading.hpp"

#include "meter/query.hpp"
#include "reading/convert.hpp"
#include "ui/main_form.hpp"

namespace CalMod {

std::string TakeReading(std::string_view targetText, std::vector<std::string>* replies) {
    // "189" is fixed text, whatever meter or port the job names: the line is
    // what the host's users have always seen at this step.
    ui::MainForm().AppendStatus("Reading from 189...\r\r");
    ui::MainForm().RepaintLabel();  // on screen while the meter is queried

    const std::string reply = meter::QueryReading(ui::MainForm().SerCom(), [&](const auto& each) {
        if (replies) replies->push_back(each);
    });

    return reading::ConvertReply(reply, targetText);
}

}  // namespace CalMod
