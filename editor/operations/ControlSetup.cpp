#include "operations/ControlSetup.h"

#include <dlfcn.h>

#include "strings/StringTable.h"
#include "strings/TextFormat.h"

namespace lumavox {

namespace fs = std::filesystem;

std::string PrepareControl(const fs::path& controlDir, const ResourceTable& resources) {
    fs::path file = controlDir / kControlFileName;
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(file, ec))) {
        if (!resources.contains(res::kControl)) return text(msg::kControlResourceMissing);
        if (resources.bytes(res::kControl).empty()) return text(msg::kControlResourceLoad);
        std::string error;
        if (!resources.ExtractResource(res::kControl, file, error))
            return textf(msg::kControlWriteFailed, {file.string()});
    }
    void* library = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library) return textf(msg::kControlLoadFailed, {file.string()});
    using RegisterFn = int32_t (*)();
    auto registerServer = reinterpret_cast<RegisterFn>(::dlsym(library, "DllRegisterServer"));
    std::string failure;
    if (!registerServer)
        failure = textf(msg::kControlNoRegisterEntry, {file.string()});
    else if (registerServer() < 0)
        failure = textf(msg::kControlRegisterFailed, {file.string()});
    ::dlclose(library);
    return failure;
}

HostedControl CreateHostedControl(const fs::path& controlDir, const ResourceTable& resources,
                                  Prompter& prompter) {
    HostedControl hosted;
    hosted.control = NVSOCX_CreateByClassId(NVSOCX_CLSID);
    if (hosted.control) return hosted;
    prompter.message(text(msg::kControlCreateFailed), Icon::Information);
    std::string failure = PrepareControl(controlDir, resources);
    if (!failure.empty()) {
        prompter.message(textf(msg::kControlPrepareFailed, {failure}), Icon::Error);
        hosted.quit = true;
        return hosted;
    }
    hosted.control = NVSOCX_CreateByClassId(NVSOCX_CLSID);
    if (!hosted.control) {
        prompter.message(text(msg::kControlCreateFailed), Icon::Information);
        hosted.quit = true;
    }
    return hosted;
}

}  // namespace lumavox
