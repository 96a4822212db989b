#include "content/Prompter.h"

#include "strings/StringTable.h"

namespace lumavox {

std::string promptTitle(Icon icon) {
    return text(icon == Icon::Error ? msg::kErrorTitle : msg::kPromptTitle);
}

}  // namespace lumavox
