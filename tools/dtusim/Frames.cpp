#include "Frames.h"

namespace lumavox::dtusim {

std::vector<uint8_t> makeFrame(uint8_t code, const uint8_t* payload, size_t size) {
    if (size > 65535) size = 65535;
    std::vector<uint8_t> f = {0xAA,
                              0x55,
                              code,
                              static_cast<uint8_t>(~code),
                              static_cast<uint8_t>(size >> 8),
                              static_cast<uint8_t>(size)};
    unsigned sum = 0;
    for (size_t i = 0; i < size; ++i) {
        f.push_back(payload[i]);
        sum += payload[i];
    }
    f.push_back(static_cast<uint8_t>(sum >> 8));
    f.push_back(static_cast<uint8_t>(sum));
    f.push_back(0xFF);
    return f;
}

void FrameReader::feed(const uint8_t* data, size_t n, const Handler& onFrame) {
    buf_.insert(buf_.end(), data, data + n);
    size_t pos = 0;
    while (true) {
        while (pos + 1 < buf_.size() && !(buf_[pos] == 0xAA && buf_[pos + 1] == 0x55))
            ++pos;
        if (buf_.size() - pos < 9) break;
        size_t len = static_cast<size_t>(buf_[pos + 4]) << 8 | buf_[pos + 5];
        if (buf_.size() - pos < len + 9) break;
        unsigned sum = 0;
        for (size_t i = 0; i < len; ++i)
            sum += buf_[pos + 6 + i];
        unsigned check = static_cast<unsigned>(buf_[pos + 6 + len]) << 8 | buf_[pos + 7 + len];
        if ((sum & 0xFFFF) == check)
            onFrame(buf_[pos + 2],
                    std::vector<uint8_t>(buf_.begin() + static_cast<long>(pos) + 6,
                                         buf_.begin() + static_cast<long>(pos + 6 + len)));
        pos += len + 9;
    }
    buf_.erase(buf_.begin(), buf_.begin() + static_cast<long>(pos));
}

}  // namespace lumavox::dtusim
