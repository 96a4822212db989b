#include "Record.h"

#include <algorithm>
#include <cstring>

namespace lumavox::dtusim {

namespace {
void put(std::array<uint8_t, 52>& r, size_t offset, size_t width, const std::string& s) {
    std::memcpy(r.data() + offset, s.data(), std::min(width, s.size()));
}
}  // namespace

std::array<uint8_t, 52> buildRecord(const RecordFields& f) {
    std::array<uint8_t, 52> r{};
    put(r, 0, 10, f.type);
    put(r, 11, 8, f.name);
    put(r, 20, 11, f.phone);
    put(r, 32, 8, f.password);
    put(r, 41, 10, f.id);
    r[51] = f.framed ? 0x01 : 0x00;
    return r;
}

}  // namespace lumavox::dtusim
