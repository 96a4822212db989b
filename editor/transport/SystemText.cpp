#include "transport/SystemText.h"

#include <cstring>

#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

std::string systemMessage(int errorNumber) {
    return std::strerror(errorNumber);
}

std::string withSystemTextDot(int id, const std::string& systemText) {
    return formatText("%s.(%s)", {text(id), systemText});
}

std::string withSystemTextColon(int id, const std::string& systemText) {
    return formatText("%s:(%s).", {text(id), systemText});
}

}  // namespace lumavox
