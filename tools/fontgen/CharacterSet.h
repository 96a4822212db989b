// The font generator's view of the sign character set (one table for the
// generator and the editor).
#pragma once

#include "strings/SignCharset.h"

namespace fontgen {
using lumavox::charset::CodePoint;
using lumavox::charset::fallbackOf;
using lumavox::charset::kBlockCode;
using lumavox::charset::kCodeCount;
using lumavox::charset::kFirstCode;
using lumavox::charset::kLastCode;
using lumavox::charset::kUpperCodes;
using lumavox::charset::unicodeOf;
}  // namespace fontgen
