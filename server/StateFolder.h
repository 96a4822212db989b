// The service's state folder: the database and the API token. The first start
// creates the folder (only its owner may enter it) and a token file only its
// owner may read; later starts read the token back.
#pragma once

#include <filesystem>
#include <string>

namespace lumavox::server {

struct StateFolder {
    std::filesystem::path database;   // lumavox-server.db
    std::filesystem::path tokenFile;  // token
    std::string token;                // the file's whole content
    bool created = false;             // this start made the folder
};

bool openStateFolder(const std::filesystem::path& dir, StateFolder& out, std::string& error);

// 32 random bytes from the system, as 64 hexadecimal digits.
bool newToken(std::string& token, std::string& error);

}  // namespace lumavox::server
