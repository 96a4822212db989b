// CSignLink: the editor's single transport object. It owns its channels (the
// serial line, the TCP connection, the selected GPRS device), hands received
// bytes to its receiver and keeps the handshake countdown shared by all of
// them. The connection state picks the channel; send, poll and close go
// through the channel interface (LinkChannel). All protocol code talks to
// signs through send() and poll() only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "protocol/HandshakeDetector.h"
#include "transport/GatewayChannel.h"
#include "transport/LinkChannel.h"
#include "transport/LinkReceiver.h"
#include "transport/LinkSettings.h"
#include "transport/SerialChannel.h"
#include "transport/TcpChannel.h"

namespace lumavox {

class ModemDialer;

// Connection state, shared by all transports.
enum class LinkState : int {
    None = 0,   // no connection: direct serial, opened per operation
    Modem = 1,  // modem line up
    Tcp = 2,    // TCP connected
    Gprs = 3,   // GPRS device selected
};

class CSignLink {
  public:
    using MessageBox = SerialChannel::MessageBox;
    // Longest wait of one poll inside the link's own wait loops.
    static constexpr unsigned kPollWaitMs = 10;

    explicit CSignLink(ComPortMap ports = {}, const Clock& clock = SystemClock::instance());

    void setComPorts(ComPortMap ports) { ports_ = std::move(ports); }
    const ComPortMap& comPorts() const { return ports_; }
    void setMessageBox(MessageBox box) { messageBox_ = std::move(box); }

    LinkState linkState() const { return state_; }
    void setLinkState(LinkState s) { state_ = s; }
    LinkReceiver* receiver() const { return receiver_; }
    void setReceiver(LinkReceiver* r) { receiver_ = r; }
    // The network peer (TCP host or GPRS device), cleared on close.
    const std::string& peerName() const { return peerName_; }

    // ---- Serial channel ----
    // Closes whatever is open, then opens COM `comPort` (through the COM map)
    // at `baud` bits per second. False when the device is missing or held by
    // another program; openError() has the system's reason.
    bool open(LinkReceiver* receiver, int comPort, int baud, char parity = 'N', int dataBits = 8,
              int stopBits = 1);
    // Opens a device path directly (the port list and tests name devices).
    bool openDevice(LinkReceiver* receiver, const std::string& device, int comPort, int baud,
                    char parity = 'N', int dataBits = 8, int stopBits = 1);
    const std::string& openError() const { return openError_; }
    // Closes every channel (an open TCP socket sets LinkState None) and
    // forgets the peer's name. A selected GPRS device stays selected.
    void close();
    bool isOpen() const { return serial_.isOpen(); }
    int portNumber() const { return serial_.portNumber(); }
    // The open serial line's descriptor (the modem's line while it is up), -1 when closed.
    int serialFd() const { return serial_.fd(); }
    // Serial write in 30-byte pieces.
    bool write(std::span<const uint8_t> bytes, std::string& error);

    // ---- TCP channel ----
    // Connects; the session sets LinkState Tcp on success. The connect wait
    // honours the receiver's cancel flag and pump.
    bool connect(LinkReceiver* receiver, const std::string& host, int port, std::string& error);
    // Closes the socket if one is open and sets LinkState None.
    void closeSocket();
    bool socketOpen() const { return tcp_.isOpen(); }

    // ---- GPRS ----
    // The registry the GPRS channel reaches devices through (null: none).
    void setGprsDevices(GprsDevices* devices) { gateway_.setDevices(devices); }
    GprsDevices* gprsDevices() const { return gateway_.devices(); }
    // Makes a registered device the current peer; false when it is not
    // registered. The session sets LinkState Gprs on success.
    bool connectGprs(LinkReceiver* receiver, const std::string& name);
    // Forgets the current device (its connection stays with the gateway).
    void disconnectGprs();
    // Discards what the gateway holds for the current device.
    void dropGprsPending() { gateway_.dropPending(); }

    // ---- Modem ----
    // The modem dialer working on the serial channel. While it owns the line
    // (its dialing flag, its own waits) received bytes go to it, not to the
    // receiver; the send session hangs up through it.
    void setModemDialer(ModemDialer* dialer) { dialer_ = dialer; }
    ModemDialer* modemDialer() const { return dialer_; }

    // ---- Through the channel of the link state ----
    // GPRS when LinkState is Gprs, TCP when Tcp, the serial channel otherwise.
    // A channel whose connection is gone afterwards sets LinkState None.
    bool send(std::span<const uint8_t> bytes, std::string& error);
    // Waits up to waitMs for bytes on the channel, then delivers what arrived:
    // to the handshake countdown while it is armed, and to the receiver.
    bool poll(std::string& error, unsigned waitMs = 0);

    // ---- Handshake ----
    void armHandshake() { handshake_.arm(); }
    void disarmHandshake() { handshake_.disarm(); }
    bool handshakeAwaited() const { return handshake_.armed(); }
    bool handshakeSeen() const { return handshake_.seen(); }
    // Arms the countdown and polls until the handshake is seen (1), `limitMs`
    // has passed on the link's clock (0), or polling fails or the receiver
    // cancels (-1, with the reason in `error`). A limit of 0 returns 0 at once.
    // Each poll waits at most 10 ms on the channel, so a handshake is seen as
    // soon as it arrives; the receiver's pump runs between polls.
    int awaitHandshake(int limitMs, std::string& error);

  private:
    // The channel LinkState stands for: TCP for Tcp, the GPRS device for Gprs,
    // the serial line otherwise (direct serial, and the modem's line).
    LinkChannel& channel();
    // Every channel the link owns.
    std::array<LinkChannel*, 3> channels() { return {&serial_, &tcp_, &gateway_}; }
    // Closes an open channel; one whose connection that ends sets LinkState None.
    void closeChannel(LinkChannel& c);
    void leaveIfLost(const LinkChannel& c);
    void deliver(std::span<const uint8_t> bytes);

    ComPortMap ports_;
    const Clock& clock_;
    MessageBox messageBox_;
    LinkState state_ = LinkState::None;
    LinkReceiver* receiver_ = nullptr;
    ModemDialer* dialer_ = nullptr;
    SerialChannel serial_;
    TcpChannel tcp_;
    GatewayChannel gateway_;
    std::string peerName_;
    std::string openError_;
    HandshakeDetector handshake_;
    std::vector<uint8_t> incoming_;
};

}  // namespace lumavox
