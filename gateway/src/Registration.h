// The registration record a DTU sends first on connecting, and how the
// gateway checks and keeps it.
//
// The DTU sends 52 bytes; the gateway keeps 62:
//   0..9  device type     10 separator
//   11..18 device name    19 separator
//   20..30 phone number   31 separator
//   32..39 password       40 separator
//   41..50 device ID      51 separator
//   52     protocol type (1 = framed)   53..61 unused
// Separators are stored as NUL, so a text field ends at its own NUL or at its
// slot's end. A DTU announces the framed protocol by sending 0x01 in the last
// separator (offset 51); the gateway moves that mark into the protocol-type
// byte, since nothing after the 52 bytes belongs to the record.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lumavox::gateway {

inline constexpr size_t kRecordWireSize = 52;
inline constexpr size_t kRecordStoredSize = 62;
inline constexpr uint8_t kFramedMark = 0x01;

struct RegistrationRecord {
    std::array<uint8_t, kRecordStoredSize> bytes{};

    std::string deviceType() const { return field(0, 10); }
    std::string deviceName() const { return field(11, 8); }
    std::string phone() const { return field(20, 11); }
    std::string password() const { return field(32, 8); }
    std::string deviceId() const { return field(41, 10); }
    int protocolType() const { return static_cast<int8_t>(bytes[52]); }

    // Text of the slot at [offset, offset + width), ending at its first NUL.
    std::string field(size_t offset, size_t width) const;
};

// Turns the first 52 bytes a DTU sent into the record as kept: separators
// become NUL, the framed mark moves to the protocol-type byte, the unused tail
// is zero. `wire` must hold kRecordWireSize bytes.
RegistrationRecord normaliseRecord(const uint8_t* wire);

// The server's access check: an empty server password admits every record;
// otherwise the record's password text must equal it byte for byte.
bool passwordAccepted(std::string_view serverPassword, const RegistrationRecord& record);

// Copies text into a caller buffer of at least text.size() + 1 bytes with a
// terminating NUL; a null buffer is skipped.
void copyText(std::string_view text, char* out);

}  // namespace lumavox::gateway
