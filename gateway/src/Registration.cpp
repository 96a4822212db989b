#include "Registration.h"

#include <cstring>

namespace lumavox::gateway {

std::string RegistrationRecord::field(size_t offset, size_t width) const {
    const char* start = reinterpret_cast<const char*>(bytes.data() + offset);
    return std::string(start, strnlen(start, width));
}

RegistrationRecord normaliseRecord(const uint8_t* wire) {
    RegistrationRecord r;
    std::memcpy(r.bytes.data(), wire, kRecordWireSize);
    const bool framed = wire[51] == kFramedMark;
    for (size_t sep : {10, 19, 31, 40, 51})
        r.bytes[sep] = 0;
    r.bytes[52] = framed ? 1 : 0;
    return r;
}

bool passwordAccepted(std::string_view serverPassword, const RegistrationRecord& record) {
    return serverPassword.empty() || serverPassword == record.password();
}

void copyText(std::string_view text, char* out) {
    if (out == nullptr) return;
    std::memcpy(out, text.data(), text.size());
    out[text.size()] = '\0';
}

}  // namespace lumavox::gateway
