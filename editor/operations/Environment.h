// Where the programs find and keep their files. The editor's application
// object, lumavox-cli and the service all start from these; nothing else looks
// folders up.
//
// Installed (or run from the build folder), the program's own folder is never
// written: the data is read from the data folder, the settings go to the
// per-user configuration folder and working files to the runtime (or cache)
// folder. A home folder given with --home or LUMAVOX_HOME stands for all of
// them: it holds the data and keeps the settings and working files, as one
// self-contained set.
#pragma once

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>

namespace lumavox {

struct ApplicationEnvironment {
    std::filesystem::path dataDir;      // font files and shipped Language/ files (read only)
    std::filesystem::path settingsDir;  // "SoftwareSet.ini", "GPRSSet.ini", "LanguageSetting.ini"
    std::filesystem::path userStore;    // the per-user store's file; the modem registry beside it
    std::filesystem::path workDir;      // "NVS_Img", the gateway copy: gone at log-out
    std::filesystem::path cacheDir;     // the control copy, which its registration names
    bool homeGiven = false;             // a home folder stands for all of the above

    // The pictures the NVS family's control sends from.
    std::filesystem::path nvsImageDir() const { return workDir / "NVS_Img"; }

    // The running program's: see resolveDataDir, userStoreDir and
    // userWorkingDir; without a home folder the settings go to the per-user
    // store's folder.
    static ApplicationEnvironment fromSystem(const std::optional<std::string>& home = std::nullopt);
    // A home folder standing for the data, settings and working folders, with
    // the given per-user store.
    static ApplicationEnvironment inHome(const std::filesystem::path& home,
                                         const std::filesystem::path& userStore);

    // Moves the files earlier versions kept beside the program and in the
    // earlier per-user store folder to their places here, once (a file already
    // at the new place is left alone), writing one line per file to `log`.
    void adoptEarlierFiles(std::ostream& log) const;
};

}  // namespace lumavox
