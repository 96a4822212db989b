// What every window of the editor shares for the whole run: the program
// directory, the settings and their store, the language layer, the sign family,
// the clock and the recent-file list.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/LanguageManager.h"
#include "app/Settings.h"
#include "content/Model.h"
#include "platform/Clock.h"

namespace lumavox::ui {

struct EditorContext {
    std::filesystem::path programDir;
    SettingsStore* store = nullptr;
    Settings* settings = nullptr;
    LanguageManager* language = nullptr;
    const Clock* clock = &SystemClock::instance();
    std::string defaultFontName = "SS7";
    std::vector<std::string> recentFiles;  // most recent first, at most 4

    SignMode mode() const { return settings ? settings->mode : SignMode::KV2; }
};

}  // namespace lumavox::ui
