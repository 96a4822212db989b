// One way of reaching signs, as the sign link uses it: the serial line, a TCP
// connection, a GPRS device (and the modem line). The link picks the channel
// its LinkState stands for and sends, polls and closes through this interface
// only; opening is each channel's own business.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumavox {

class LinkChannel {
  public:
    virtual ~LinkChannel() = default;
    // Sends all bytes; false with the text for the user.
    virtual bool send(std::span<const uint8_t> bytes, std::string& error) = 0;
    // Waits up to waitMs for bytes, then appends what has arrived to `out`.
    // Nothing arriving is no failure.
    virtual bool poll(unsigned waitMs, std::vector<uint8_t>& out, std::string& error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // True when the connection the link's state stands for is gone (a network
    // peer that closed it): the link then returns to LinkState None. A serial
    // line or a selected device stays the link's channel through failures.
    virtual bool connectionLost() const { return false; }
};

}  // namespace lumavox
