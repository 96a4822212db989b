// Feeds arbitrary bytes to the profile reader as a settings or language file, and
// checks that writing a key back keeps every other value as it was read.
#include <strings.h>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace lumavox;
    Profile p = Profile::parse(std::string_view(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> sections = p.sections();
    for (const std::string& s : sections)
        for (const std::string& k : p.keys(s)) {
            std::string v = p.getString(s, k);
            if (v.size() > Profile::kMaxValueLength) std::abort();
            (void)p.getInt(s, k, 0);
        }
    if (sections.empty()) return 0;
    Profile changed = Profile::parse(p.text());
    changed.setString(sections[0], "Fuzz Key", "value");
    Profile back = Profile::parse(changed.text());
    if (back.getString(sections[0], "Fuzz Key") != "value") std::abort();
    for (const std::string& s : sections)
        for (const std::string& k : p.keys(s))
            if (!(s == sections[0] && strcasecmp(k.c_str(), "Fuzz Key") == 0) &&
                back.getString(s, k) != p.getString(s, k))
                std::abort();
    return 0;
}
