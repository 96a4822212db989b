#include "app/Application.h"

#include "operations/GprsRoute.h"
#include "platform/Files.h"
#include "platform/HeldFile.h"
#include "platform/Profile.h"

namespace lumavox {

namespace fs = std::filesystem;

namespace {

// The language layer writes its built-in setting from the program's own copy
// when the table has it.
void useEmbeddedLanguageSetting(LanguageManager& language, const ResourceTable& resources) {
    if (!resources.contains(res::kDefaultLanguageSetting)) return;
    language.setBuiltInSettingWriter([&resources](const fs::path& path) {
        std::string error;
        return resources.ExtractResource(res::kDefaultLanguageSetting, path, error);
    });
}

// Deletes the files of a folder, keeping its sub-folders.
void removeFiles(const fs::path& dir) {
    std::error_code ec;
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code statusError;
        if (it->symlink_status(statusError).type() == fs::file_type::directory) continue;
        std::error_code removeError;
        fs::remove(it->path(), removeError);
    }
}

}  // namespace

EditorApplication::EditorApplication(ApplicationEnvironment environment,
                                     const ResourceTable& resources)
    : environment_(std::move(environment)),
      resources_(resources),
      language_(environment_.dataDir, environment_.settingsDir),
      store_(environment_.settingsDir, environment_.userStore) {
    useEmbeddedLanguageSetting(language_, resources_);
    language_.startUp();
    gateway_.emplace(resources_.bytes(res::kGateway), environment_.workDir, environment_.userStore);
    gprsMonitor_.emplace(*gateway_);
}

EditorApplication::~EditorApplication() {
    // The monitor uses the library: it ends first.
    gprsMonitor_.reset();
}

void EditorApplication::StartGprsMonitor() {
    startGprsMonitorAtStartUp(settings_, *gprsMonitor_);
}

void EditorApplication::InitInstance() {
    languageActive_ = language_.active();
    settings_ = store_.LoadSettings();
    signMode_ = settings_.mode;
    dateNames_ = DateNames::load();
    if (signMode_ == SignMode::NVS) {
        std::error_code ec;
        fs::create_directories(nvsImageDir(), ec);
    }
    recent_.load(Profile::load(environment_.userStore));
}

bool EditorApplication::ExitInstance(std::string& error) {
    if (exited_) return true;
    exited_ = true;
    gprsMonitor_->Stop();
    bool saved = store_.SaveSettings(settings_, error);
    Profile store = Profile::load(environment_.userStore);
    recent_.save(store);
    std::string recentError;
    if (!store.save(recentError) && saved) {
        error = recentError;
        saved = false;
    }
    if (signMode_ == SignMode::NVS) removeFiles(nvsImageDir());
    gateway_->Release();
    return saved;
}

}  // namespace lumavox
