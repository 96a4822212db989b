#include "TcpDtu.h"

#include <sys/resource.h>

#include <asio.hpp>
#include <chrono>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ConfigDialogue.h"
#include "Frames.h"
#include "Record.h"

namespace lumavox::dtusim {

namespace {

using asio::ip::tcp;
using Bytes = std::vector<uint8_t>;

constexpr size_t kReadSize = 2048;
constexpr int kConnectAttempts = 100;
constexpr auto kRetryDelay = std::chrono::milliseconds(100);
constexpr std::string_view kEscapingType = "MQB-47C";

long long monotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

class Session;

// All DTUs of the process and the pacing of their connects.
class Fleet {
  public:
    Fleet(asio::io_context& io, const Options& o) : io_(io), options_(o) {}
    void start();
    void connectDone(bool ok);
    // A DTU has closed its connection for good.
    void left();
    asio::io_context& io() { return io_; }
    const Options& options() const { return options_; }
    tcp::endpoint gatewayEndpoint() const;

  private:
    void startNext();

    asio::io_context& io_;
    const Options& options_;
    int started_ = 0;
    int ok_ = 0;
    int failed_ = 0;
    int left_ = 0;
    long long first_ = 0;
    long long last_ = 0;
    std::vector<std::shared_ptr<Session>> sessions_;
};

class Session : public std::enable_shared_from_this<Session> {
  public:
    Session(Fleet& fleet, int index)
        : fleet_(fleet),
          o_(fleet.options()),
          index_(index),
          gateway_(fleet.io()),
          sign_(fleet.io()),
          retry_(fleet.io()),
          heartbeat_(fleet.io()),
          scheduled_(fleet.io()),
          dialogue_(o_.dialogue) {}

    void start() { connectGateway(); }

  private:
    // ---- gateway connection --------------------------------------------
    void connectGateway() {
        gateway_.async_connect(fleet_.gatewayEndpoint(),
                               [self = shared_from_this()](const asio::error_code& ec) {
                                   self->onGatewayConnected(ec);
                               });
    }

    void onGatewayConnected(const asio::error_code& ec) {
        if (ec) {
            asio::error_code ignored;
            gateway_.close(ignored);
            if (++attempts_ >= kConnectAttempts) {
                std::fprintf(stderr, "dtusim: DTU %d cannot connect: %s\n", index_,
                             ec.message().c_str());
                fleet_.connectDone(false);
                fleet_.left();
                return;
            }
            retry_.expires_after(kRetryDelay);
            retry_.async_wait([self = shared_from_this()](const asio::error_code& e) {
                if (!e) self->connectGateway();
            });
            return;
        }
        asio::error_code ignored;
        gateway_.set_option(tcp::no_delay(true), ignored);
        started_ = true;
        RecordFields f{o_.type,  nameFor(o_.name, index_, o_.count), o_.phone, o_.password, o_.id,
                       o_.framed};
        auto record = buildRecord(f);
        sendToGateway(Bytes(record.begin(), record.end()));
        if (o_.junkBytes > 0) {
            junkLeft_ = o_.junkBytes;
            closeWhenSent_ = true;
        }
        fleet_.connectDone(true);
        if (o_.sign) connectSign();
        if (o_.framed && o_.heartbeatMs > 0) armHeartbeat();
        readGateway();
    }

    void readGateway() {
        gatewayBuf_.resize(kReadSize);
        gateway_.async_read_some(asio::buffer(gatewayBuf_),
                                 [self = shared_from_this()](const asio::error_code& ec, size_t n) {
                                     if (ec) return self->shutdown();
                                     self->fromGateway(self->gatewayBuf_.data(), n);
                                     if (self->gateway_.is_open()) self->readGateway();
                                 });
    }

    void sendToGateway(Bytes bytes) {
        if (bytes.empty() || !gateway_.is_open()) return;
        out_.push_back(std::move(bytes));
        if (out_.size() == 1) writeNext();
    }

    void writeNext() {
        asio::async_write(gateway_, asio::buffer(out_.front()),
                          [self = shared_from_this()](const asio::error_code& ec, size_t) {
                              if (ec) return self->shutdown();
                              self->out_.pop_front();
                              if (self->out_.empty()) self->feedJunk();
                              if (!self->out_.empty())
                                  self->writeNext();
                              else if (self->closeWhenSent_)
                                  self->shutdown();
                          });
    }

    // The next piece of junk, made as the previous one has gone out.
    void feedJunk() {
        if (junkLeft_ <= 0) return;
        constexpr long kJunkPiece = 64 * 1024;
        Bytes junk(static_cast<size_t>(std::min(junkLeft_, kJunkPiece)));
        for (size_t i = 0; i < junk.size(); ++i)
            junk[i] = static_cast<uint8_t>(junkSent_++ * 131 + 7);
        junkLeft_ -= static_cast<long>(junk.size());
        out_.push_back(std::move(junk));
    }

    void shutdown() {
        if (!left_ && started_) fleet_.left();
        left_ = true;
        asio::error_code ignored;
        gateway_.close(ignored);
        sign_.close(ignored);
        retry_.cancel();
        heartbeat_.cancel();
        scheduled_.cancel();
    }

    // ---- what arrives from the gateway ---------------------------------
    void fromGateway(const uint8_t* data, size_t n) {
        if (mode_ == Mode::Config) return configBytes(data, n);
        if (!o_.framed) return transparentData(data, n);
        frames_.feed(data, n,
                     [this](uint8_t code, Bytes payload) { onFrame(code, std::move(payload)); });
    }

    void transparentData(const uint8_t* data, size_t n) {
        Bytes plain;
        plain.reserve(n);
        const bool escaping = o_.type == kEscapingType;
        for (size_t i = 0; i < n; ++i) {
            // The gateway sends 0xFE as FE 03 to this device type.
            if (escaping && afterFe_ && data[i] == 0x03) {
                afterFe_ = false;
                continue;
            }
            afterFe_ = data[i] == 0xFE;
            plain.push_back(data[i]);
        }
        if (plain.empty()) return;
        if (o_.sign)
            sendToSign(std::move(plain));
        else
            sendTransparent(std::move(plain));
    }

    // The gateway drops a 0xFE that starts a chunk from a transparent DTU, so
    // such a chunk goes out with one more in front.
    void sendTransparent(Bytes data) {
        if (!data.empty() && data.front() == 0xFE) data.insert(data.begin(), 0xFE);
        sendToGateway(std::move(data));
    }

    void onFrame(uint8_t code, Bytes payload) {
        switch (code) {
            case 0x91:
            case 0x92:
                sendToGateway(makeFrame(0xFE, nullptr, 0));
                [[fallthrough]];
            case 0x11:
            case 0x12: {
                if (ioStopped_) break;
                const uint8_t back = code & 0x7F;
                if (o_.sign && back == 0x11)
                    sendToSign(std::move(payload));
                else
                    sendToGateway(makeFrame(back, payload.data(), payload.size()));
                break;
            }
            case 0x13:
                remoteCommand(std::string(payload.begin(), payload.end()));
                break;
            default:  // acknowledgements and answers to our heartbeats
                break;
        }
    }

    void remoteCommand(const std::string& text) {
        static const std::string ok = "OK\r\n";
        const auto* reply = reinterpret_cast<const uint8_t*>(ok.data());
        sendToGateway(makeFrame(0x13, reply, ok.size()));
        if (text == "+++ in set\r\n") {
            mode_ = Mode::Config;
            dialogue_.enterSetMode();
        } else if (text == "+++ io stop\r\n") {
            ioStopped_ = true;
        } else if (text == "+++ io start\r\n") {
            ioStopped_ = false;
        } else if (text == "+++ discnt\r\n") {
            closeWhenSent_ = true;
        }
    }

    // ---- configuration dialogue over the connection ---------------------
    void configBytes(const uint8_t* data, size_t n) {
        for (auto& out : dialogue_.feed(std::string(data, data + n))) {
            auto due = std::chrono::steady_clock::now() + std::chrono::milliseconds(out.delayMs);
            if (!pendingConfig_.empty() && pendingConfig_.back().first > due)
                due = pendingConfig_.back().first;
            pendingConfig_.emplace_back(due, Bytes(out.bytes.begin(), out.bytes.end()));
        }
        if (!dialogue_.inSetMode()) mode_ = Mode::Framed;
        flushConfig();
    }

    void flushConfig() {
        while (!pendingConfig_.empty() &&
               pendingConfig_.front().first <= std::chrono::steady_clock::now()) {
            sendToGateway(std::move(pendingConfig_.front().second));
            pendingConfig_.pop_front();
        }
        if (pendingConfig_.empty()) return;
        scheduled_.expires_at(pendingConfig_.front().first);
        scheduled_.async_wait([self = shared_from_this()](const asio::error_code& ec) {
            if (!ec) self->flushConfig();
        });
    }

    void armHeartbeat() {
        heartbeat_.expires_after(std::chrono::milliseconds(o_.heartbeatMs));
        heartbeat_.async_wait([self = shared_from_this()](const asio::error_code& ec) {
            if (ec || !self->gateway_.is_open()) return;
            if (self->mode_ == Mode::Framed) self->sendToGateway(makeFrame(0x14, nullptr, 0));
            self->armHeartbeat();
        });
    }

    // ---- the sign behind the DTU ----------------------------------------
    void connectSign() {
        tcp::resolver resolver(fleet_.io());
        asio::error_code ec;
        auto results = resolver.resolve(o_.sign->host, std::to_string(o_.sign->port), ec);
        if (ec || results.empty()) {
            std::fprintf(stderr, "dtusim: cannot resolve the sign %s\n", o_.sign->host.c_str());
            return;
        }
        sign_.async_connect(*results.begin(),
                            [self = shared_from_this()](const asio::error_code& e) {
                                if (e) {
                                    std::fprintf(stderr, "dtusim: sign: %s\n", e.message().c_str());
                                    return;
                                }
                                asio::error_code ignored;
                                self->sign_.set_option(tcp::no_delay(true), ignored);
                                self->signUp_ = true;
                                for (auto& b : self->signBacklog_)
                                    self->sendToSign(std::move(b));
                                self->signBacklog_.clear();
                                self->readSign();
                            });
    }

    void readSign() {
        signBuf_.resize(kReadSize);
        sign_.async_read_some(asio::buffer(signBuf_), [self = shared_from_this()](
                                                          const asio::error_code& ec, size_t n) {
            if (ec) return;
            Bytes data(self->signBuf_.begin(), self->signBuf_.begin() + static_cast<long>(n));
            if (self->o_.framed)
                self->sendToGateway(makeFrame(0x11, data.data(), data.size()));
            else
                self->sendTransparent(std::move(data));
            self->readSign();
        });
    }

    void sendToSign(Bytes bytes) {
        if (!signUp_) {
            signBacklog_.push_back(std::move(bytes));
            return;
        }
        auto shared = std::make_shared<Bytes>(std::move(bytes));
        asio::async_write(sign_, asio::buffer(*shared),
                          [shared](const asio::error_code&, size_t) {});
    }

    enum class Mode { Framed, Config };

    Fleet& fleet_;
    const Options& o_;
    int index_;
    int attempts_ = 0;
    tcp::socket gateway_;
    tcp::socket sign_;
    asio::steady_timer retry_;
    asio::steady_timer heartbeat_;
    asio::steady_timer scheduled_;
    Bytes gatewayBuf_;
    Bytes signBuf_;
    std::deque<Bytes> out_;
    std::vector<Bytes> signBacklog_;
    bool signUp_ = false;
    bool afterFe_ = false;
    bool ioStopped_ = false;
    bool closeWhenSent_ = false;
    bool started_ = false;
    bool left_ = false;
    long junkLeft_ = 0;
    uint64_t junkSent_ = 0;
    Mode mode_ = Mode::Framed;
    FrameReader frames_;
    ConfigDialogue dialogue_;
    std::deque<std::pair<std::chrono::steady_clock::time_point, Bytes>> pendingConfig_;
};

tcp::endpoint Fleet::gatewayEndpoint() const {
    asio::error_code ec;
    auto address = asio::ip::make_address(options_.gateway->host, ec);
    if (ec) {
        tcp::resolver resolver(io_);
        auto results = resolver.resolve(options_.gateway->host, "", ec);
        if (!ec && !results.empty()) address = results.begin()->endpoint().address();
    }
    return tcp::endpoint(address, static_cast<uint16_t>(options_.gateway->port));
}

void Fleet::start() {
    sessions_.reserve(static_cast<size_t>(options_.count));
    for (int i = 0; i < options_.connectWindow && started_ < options_.count; ++i)
        startNext();
}

void Fleet::startNext() {
    auto s = std::make_shared<Session>(*this, ++started_);
    sessions_.push_back(s);
    s->start();
}

void Fleet::left() {
    // Junk-sending DTUs leave once their bytes are out; the run ends with the last.
    if (++left_ == options_.count && options_.junkBytes > 0) io_.stop();
}

void Fleet::connectDone(bool ok) {
    if (ok) {
        last_ = monotonicMs();
        if (ok_++ == 0) first_ = last_;
    } else {
        ++failed_;
    }
    if (started_ < options_.count) startNext();
    if (ok_ + failed_ == options_.count) {
        std::printf("connected %d %d %lld %lld\n", ok_, options_.count, first_, last_);
        std::fflush(stdout);
    }
}

// Many DTUs need many descriptors: take all the process may have.
void raiseDescriptorLimit() {
    rlimit rl{};
    if (::getrlimit(RLIMIT_NOFILE, &rl) == 0 && rl.rlim_cur < rl.rlim_max) {
        rl.rlim_cur = rl.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &rl);
    }
}

}  // namespace

int runTcpDtus(const Options& options) {
    raiseDescriptorLimit();
    asio::io_context io(1);
    asio::signal_set signals(io, SIGTERM, SIGINT);
    signals.async_wait([&](const asio::error_code&, int) { io.stop(); });
    Fleet fleet(io, options);
    fleet.start();
    io.run();
    return 0;
}

}  // namespace lumavox::dtusim
