// The editor's stored groups as registered signs: each host of a TCP/IP group
// (at the stored TCP/IP port) and each device of a GPRS group becomes a sign
// in a group of the group's name. A sign already registered under that name
// keeps its settings and joins the group.
#pragma once

#include <string>
#include <vector>

#include "operations/Settings.h"
#include "server/Store.h"

namespace lumavox::server {

struct ImportedSigns {
    std::vector<SignRecord> signs;     // to add or replace, all at once
    std::vector<std::string> skipped;  // what could not become a sign, and why
};

ImportedSigns signsFromStoredGroups(const Settings& settings, const DefaultSignSize& size,
                                    const std::vector<SignRecord>& registered, int64_t nowSeconds);

// A name the registry takes: letters, digits, '-', '_' and '.', other
// characters as '_', at most 64 characters, not starting with '.'.
std::string registryName(const std::string& name);

}  // namespace lumavox::server
