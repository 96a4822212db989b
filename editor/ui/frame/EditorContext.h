// What every window of the editor shares for the whole run: the program
// directory, the settings and their store, the language layer, the sign family,
// the clock and the recent-file list.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "app/LanguageManager.h"
#include "app/RecentFiles.h"
#include "content/Model.h"
#include "operations/Environment.h"
#include "operations/Resources.h"
#include "operations/Settings.h"
#include "platform/Clock.h"

namespace lumavox {
class GprsMonitor;
}

namespace lumavox::ui {

struct EditorContext {
    // The program's folders (font files, working files, the control copy).
    ApplicationEnvironment environment;
    const SettingsStore* store = nullptr;
    Settings* settings = nullptr;
    LanguageManager* language = nullptr;
    const Clock* clock = &SystemClock::instance();
    std::string defaultFontName = "SS7";
    // The File menu's list: the application's, which keeps it between runs.
    RecentFileList* recent = nullptr;
    // The program's own copies of its components (the scriptable control is
    // unpacked from them when it cannot be created); none when null.
    const ResourceTable* resources = nullptr;
    // The application's registry of GPRS devices (null: no GPRS in this run).
    GprsMonitor* gprs = nullptr;

    SignMode mode() const { return settings ? settings->mode : SignMode::KV2; }
    RecentFileList& recentFiles() { return recent ? *recent : ownRecent_; }

  private:
    RecentFileList ownRecent_;  // when no application keeps one
};

}  // namespace lumavox::ui
