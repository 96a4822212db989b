// Joining a link error text with the system's message for an error number.
#pragma once

#include <string>

namespace lumavox {

// The system's message text for an errno value.
std::string systemMessage(int errorNumber);
// "%s.(%s)": the text of string-table entry `id`, then the system message.
std::string withSystemTextDot(int id, const std::string& systemText);
// "%s:(%s).": the same in the form the connect errors use.
std::string withSystemTextColon(int id, const std::string& systemText);

}  // namespace lumavox
