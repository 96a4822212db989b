// Identification records as a DTU may send them: any bytes, in any chunking.
//
// The first input byte chooses the server password and how the bytes are cut
// into reads; the rest is what the DTU sends. The bytes go through a bounded
// receive ring as the connection does; once 52 have arrived they are turned
// into a record whose fields are copied into caller buffers of exactly the
// documented minimum sizes (so an overlong field shows up as an overflow).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ByteRing.h"
#include "Gprslink.h"
#include "Registration.h"
#include "WireRules.h"

using namespace lumavox::gateway;

namespace {

void copyInto(const std::string& text, size_t size) {
    if (text.size() + 1 > size) std::abort();
    auto out = std::make_unique<char[]>(size);
    copyText(text, out.get());
    if (std::strlen(out.get()) != text.size()) std::abort();
}

void checkEscaping(const uint8_t* data, size_t n) {
    std::vector<uint8_t> escaped = escapeFe(data, n);
    if (originalBytesSent(data, n, escaped.size()) != n) std::abort();
    size_t previous = 0;
    for (size_t sent : {size_t{0}, escaped.size() / 3, escaped.size() / 2, escaped.size() - 1}) {
        if (sent > escaped.size()) continue;
        size_t whole = originalBytesSent(data, n, sent);
        if (whole < previous || whole > n) std::abort();
        previous = whole;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const uint8_t control = data[0];
    ++data;
    --size;
    static const char* const passwords[] = {"", "s3cret", "12345678", "123456789"};
    const std::string password = passwords[control & 3];
    const size_t chunk = 1 + (control >> 2);

    // A small ring, so that growth and overwriting both happen.
    ByteRing ring;
    ring.reset(48);
    size_t fed = 0;
    while (fed < size) {
        size_t n = std::min(chunk, size - fed);
        ring.writeGrowing(data + fed, n, 32, 112);
        fed += n;
        if (ring.capacity() > 112 || ring.count() > ring.capacity()) std::abort();
        if (ring.count() < kRecordWireSize) continue;
        uint8_t wire[kRecordWireSize];
        if (ring.read(wire, sizeof wire) != sizeof wire) std::abort();
        RegistrationRecord r = normaliseRecord(wire);
        for (size_t sep : {10, 19, 31, 40, 51})
            if (r.bytes[sep] != 0) std::abort();
        if (r.protocolType() != 0 && r.protocolType() != 1) std::abort();
        copyInto(r.deviceType(), DTU_FIELD_A_SIZE);
        copyInto(r.deviceName(), DTU_FIELD_B_SIZE);
        copyInto(r.deviceId(), DTU_FIELD_C_SIZE);
        copyInto(r.phone(), DTU_FIELD_D_SIZE);
        bool accepted = passwordAccepted(password, r);
        if (password.empty() && !accepted) std::abort();
        if (accepted && !password.empty() && r.password() != password) std::abort();
        checkEscaping(wire, sizeof wire);
    }
    checkEscaping(data, size);
    return 0;
}
