// The program's own copies of the gateway library (187), the scriptable sign
// control (195), the English language file (179) and the default language
// setting (180), built into the program file. Link lumavox_embedded.
#pragma once

#include "operations/Resources.h"

namespace lumavox {

const ResourceTable& embeddedResources();

}  // namespace lumavox
