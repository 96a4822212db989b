// The registration record a DTU sends first after connecting: 52 bytes of
// NUL-padded text fields, each followed by a separator.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace lumavox::dtusim {

struct RecordFields {
    std::string type;      // 10 bytes
    std::string name;      // 8
    std::string phone;     // 11
    std::string password;  // 8
    std::string id;        // 10
    bool framed = false;   // announced with 0x01 in the last separator
};

std::array<uint8_t, 52> buildRecord(const RecordFields& f);

}  // namespace lumavox::dtusim
