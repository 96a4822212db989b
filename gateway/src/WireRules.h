// Byte rules on the wire between the gateway and a transparent DTU.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace lumavox::gateway {

// The device type whose link treats 0xFE as an escape: the gateway sends every
// 0xFE to it as 0xFE 0x03.
inline constexpr std::string_view kEscapingDeviceType = "MQB-47C";

bool needsEscaping(std::string_view deviceType);
// A copy of data with 0x03 inserted after every 0xFE.
std::vector<uint8_t> escapeFe(const uint8_t* data, size_t n);
// How many bytes of the original data went out whole when `sent` bytes of its
// escaped copy were written.
size_t originalBytesSent(const uint8_t* data, size_t n, size_t sent);

// A chunk received in one go from a transparent DTU loses its first byte when
// that byte is 0xFE.
inline constexpr uint8_t kBurstMark = 0xFE;

}  // namespace lumavox::gateway
