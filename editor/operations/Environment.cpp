#include "operations/Environment.h"

#include "platform/Files.h"
#include "platform/Profile.h"

namespace lumavox {

namespace fs = std::filesystem;

namespace {

// The settings files earlier versions wrote beside the program.
constexpr const char* kSettingsFiles[] = {"SoftwareSet.ini", "GPRSSet.ini", "LanguageSetting.ini"};
// The per-user store and the modem registry beside it.
constexpr const char* kStoreFiles[] = {"LUMAVOX.ini", "Registry.ini"};

void report(std::ostream& log, const std::string& line) {
    if (!line.empty()) log << "lumavox: " << line << "\n";
}

}  // namespace

ApplicationEnvironment ApplicationEnvironment::inHome(const fs::path& home,
                                                      const fs::path& userStore) {
    return {home, home, userStore, home, home, true};
}

ApplicationEnvironment ApplicationEnvironment::fromSystem(const std::optional<std::string>& home) {
    if (std::optional<fs::path> own = homeOverride(home)) return inHome(*own, userStorePath());
    ApplicationEnvironment environment;
    environment.dataDir = resolveDataDir(home);
    environment.userStore = userStorePath();
    environment.settingsDir = environment.userStore.parent_path();
    environment.workDir = userWorkingDir("lumavox");
    environment.cacheDir = userCacheDir("lumavox");
    return environment;
}

void ApplicationEnvironment::adoptEarlierFiles(std::ostream& log) const {
    // A home folder keeps its own settings; the program's folder is the old
    // place only for the layout that has settings of its own.
    if (!homeGiven)
        for (const char* name : kSettingsFiles)
            report(log, moveToNewPlace(executableDir() / name, settingsDir / name));
    // LUMAVOX_CONFIG_DIR names a store of its own (the tests' among others).
    if (userStore.parent_path() == userConfigHome() / "lumavox")
        for (const char* name : kStoreFiles)
            report(log,
                   moveToNewPlace(earlierUserStoreDir() / name, userStore.parent_path() / name));
}

}  // namespace lumavox
