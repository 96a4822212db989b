// The editor's main window over a benchmark's program folder (offscreen): the
// language layer, the settings store and the window's context set up as the
// program does. `adjust` changes the loaded settings before the window sees
// them.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "app/LanguageManager.h"
#include "operations/Settings.h"
#include "ui/frame/EditorContext.h"
#include "ui/frame/MainFrame.h"

namespace lumavox::bench {

class BenchWindow {
  public:
    explicit BenchWindow(const std::filesystem::path& home,
                         const std::function<void(Settings&)>& adjust = {})
        : language_(home) {
        language_.startUp();
        store_ = std::make_unique<SettingsStore>(home, home / "user.ini");
        settings_ = store_->LoadSettings();
        if (adjust) adjust(settings_);
        context_.environment = ApplicationEnvironment::inHome(home, home / "user.ini");
        context_.language = &language_;
        context_.store = store_.get();
        context_.settings = &settings_;
        frame_ = std::make_unique<ui::CMainFrame>(context_);
    }

    ui::CMainFrame& frame() { return *frame_; }

  private:
    LanguageManager language_;
    std::unique_ptr<SettingsStore> store_;
    Settings settings_;
    ui::EditorContext context_;
    std::unique_ptr<ui::CMainFrame> frame_;
};

}  // namespace lumavox::bench
