// Checks a language file against the program's own texts, for translators.
#pragma once

#include <string>
#include <vector>

#include "platform/Profile.h"

namespace lumavox {

// One line per problem: a wrong or missing version, a missing language name,
// keys the program does not know, keys it knows that the file lacks, and values
// whose %s/%d placeholders differ in number or order from the English text.
// Empty when the file is complete and consistent.
std::vector<std::string> checkLanguageFile(const Profile& file);

}  // namespace lumavox
