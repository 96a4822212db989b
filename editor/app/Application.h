// The editor's application object: what lives as long as the program runs, how
// it is built, how the program starts up and how it ends. The window's main
// function builds one, calls InitInstance before it creates the main window and
// ExitInstance after the last window has closed.
//
// Construction sets the defaults, builds the language layer (writing the
// built-in "LanguageSetting.ini" and English language file from the program's
// own copies when they are missing) and the gateway binding (the gateway
// library unpacked into a temporary file and bound by name).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "app/LanguageManager.h"
#include "app/RecentFiles.h"
#include "content/Model.h"
#include "operations/Environment.h"
#include "operations/GatewayBinding.h"
#include "operations/GprsMonitor.h"
#include "operations/Resources.h"
#include "operations/Settings.h"
#include "strings/DateNames.h"

namespace lumavox {

class EditorApplication {
  public:
    // Working folder of the NVS family's images, in the program directory.

    // `resources` must outlive the application (the embedded table does).
    EditorApplication(ApplicationEnvironment environment, const ResourceTable& resources);
    // Releases the gateway library and deletes its copy if ExitInstance has not.
    ~EditorApplication();
    EditorApplication(const EditorApplication&) = delete;
    EditorApplication& operator=(const EditorApplication&) = delete;

    // The start-up steps before the main window: whether the language is active,
    // the settings and the sign family, the date and time names, the NVS
    // family's image folder, the recent-file list.
    void InitInstance();
    // The exit steps: the GPRS monitor stopped, the settings and the
    // recent-file list saved, the NVS family's image folder emptied, the
    // gateway library released and its copy deleted. Every step runs; false (with the reason) when
    // the settings could not be saved. A second call does nothing.
    bool ExitInstance(std::string& error);

    // The current document's sign and the editing state shown in the window.
    int signWidth = 160;
    int signHeight = 16;
    int colourType = 0;  // 0 tri-colour, 1 single colour
    std::string windowName = "Main";
    std::string currentFontName = "SS7";
    int currentFontIndex = 1;
    bool previewOpen = false;

    SignMode signMode() const { return signMode_; }
    bool languageActive() const { return languageActive_; }
    // In GPRS mode the gateway server starts once the main window shows.
    bool startsGprsServer() const { return settings_.sendType == SendType::Gprs; }

    LanguageManager& language() { return language_; }
    const GatewayBinding& gateway() const { return *gateway_; }
    // The registry of connected GPRS devices; it runs while GPRS mode is chosen.
    GprsMonitor& gprsMonitor() { return *gprsMonitor_; }
    // After the main window shows: starts the monitor in GPRS mode.
    void StartGprsMonitor();
    Settings& settings() { return settings_; }
    const SettingsStore& settingsStore() const { return store_; }
    const DateNames& dateNames() const { return dateNames_; }
    // Loads the date and time names again (after the language changed).
    void reloadDateNames() { dateNames_ = DateNames::load(); }
    RecentFileList& recentFiles() { return recent_; }
    const ResourceTable& resources() const { return resources_; }
    const ApplicationEnvironment& environment() const { return environment_; }
    std::filesystem::path nvsImageDir() const { return environment_.nvsImageDir(); }

  private:
    ApplicationEnvironment environment_;
    const ResourceTable& resources_;
    SignMode signMode_ = SignMode::KV2;
    bool languageActive_ = false;
    LanguageManager language_;
    std::optional<GatewayBinding> gateway_;
    std::optional<GprsMonitor> gprsMonitor_;
    SettingsStore store_;
    Settings settings_;
    DateNames dateNames_;
    RecentFileList recent_;
    bool exited_ = false;
};

}  // namespace lumavox
