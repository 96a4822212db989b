// The scriptable sign control that the NVS family's dialogs host: creating it
// by class identifier, and preparing it (unpacking and self-registration) when
// that fails.
#pragma once

#include <filesystem>
#include <string>

#include "NVSOCXHost.h"
#include "content/Prompter.h"
#include "operations/Resources.h"

namespace lumavox {

// The control file written from the program's own copy into the per-user
// cache folder (never beside the program, whose folder may be read-only).
// Self-registration records the path it was loaded from, and creation by class
// identifier loads that path, so the name itself is free.
constexpr const char* kControlFileName = "NVSOCX.ocx";

// Writes the control file into controlDir when it does not exist there (an
// existing file is never overwritten, even a stale one), loads it, calls its
// DllRegisterServer and unloads it. Empty on success, else the failure text.
std::string PrepareControl(const std::filesystem::path& controlDir, const ResourceTable& resources);

struct HostedControl {
    // The created control (release with NVSOCX_ReleaseObject), or null.
    NVSOCX_Object* control = nullptr;
    // The control could not be created even after preparing it: the program
    // must end (the user has been told).
    bool quit = false;
};

// What a dialog hosting the control does when it opens: create the control by
// class identifier; when that fails tell the user, prepare the control and
// create it again. Every message goes through the prompter.
HostedControl CreateHostedControl(const std::filesystem::path& controlDir,
                                  const ResourceTable& resources, Prompter& prompter);

}  // namespace lumavox
