// A new document as the File > New command makes it; the window's command and
// `lumavox-cli new` both come here.
#pragma once

#include <string>
#include <string_view>

#include "content/Model.h"
#include "operations/Settings.h"

namespace lumavox {

// The name of a new document's first text file.
constexpr std::string_view kNewDocumentFirstFile = "Main";

// The work area of a new document of the given sign size and colour kind: one
// text file, "Main", holding only its end-of-text marker in font 1 and the
// family's default colour. Returns the refusal text of the size (a width or
// height below 1), or empty when `work` was made.
std::string makeNewDocument(const DefaultSignSize& size, SignMode mode, const Clock& clock,
                            WorkArea& work);

}  // namespace lumavox
