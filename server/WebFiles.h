// The fleet page (the files of server/web), built into the program so that an
// installed or a build-folder lumavox-server serves it without a data folder.
// Link lumavox_web.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace lumavox::server {

// Each file's content by its name ("index.html").
std::map<std::string, std::string_view> fleetPageFiles();

}  // namespace lumavox::server
