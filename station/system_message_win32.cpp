#include "station/system_message_win32.hpp"

#include <windows.h>

namespace station {

std::string SystemMessage(unsigned long error) {
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length != 0 && buffer ? std::string(buffer, length)
                                             : "error " + std::to_string(error);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    return text + " (error " + std::to_string(error) + ")";
}

}  // namespace station
