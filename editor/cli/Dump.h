// The work area as JSON, for scripts and for checking documents by eye.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "content/Model.h"

namespace lumavox {

void dumpWorkAreaJson(const WorkArea& work, SignMode mode, int32_t version,
                      const std::vector<std::string>& warnings, std::ostream& out);

}  // namespace lumavox
