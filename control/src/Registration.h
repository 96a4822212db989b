// Where self-registration records the control in the per-user store, shared by
// the library (which writes it) and the host-side helper (which reads it).
#pragma once

#include <string>

namespace lumavox::nvs {

inline std::string classSection(const std::string& clsid) {
    return "CLSID\\" + clsid;
}
inline constexpr const char* kServerKey = "InprocServer32";
inline constexpr const char* kProgIdKey = "ProgID";
inline constexpr const char* kTypeLibKey = "TypeLib";
inline constexpr const char* kClassIdKey = "CLSID";

}  // namespace lumavox::nvs
