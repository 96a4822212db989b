#include "operations/Environment.h"

#include "platform/Files.h"
#include "platform/HeldFile.h"
#include "platform/Profile.h"

namespace lumavox {

ApplicationEnvironment ApplicationEnvironment::fromSystem(const std::optional<std::string>& home) {
    return {resolveProgramDir(home), userStorePath(), temporaryDirectory()};
}

}  // namespace lumavox
