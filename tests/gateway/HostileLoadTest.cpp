// The gateway against peers that abuse it while the host fetches nothing: the
// bound on identified connections not yet fetched, DTUs that stream junk and
// leave, the process-wide budget for received bytes, and floods that reach
// the process's descriptor limit.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <thread>

#include "ByteRing.h"
#include "GatewayTestSupport.h"
#include "Gprslink.h"
#include "TestHooks.h"

using namespace lumavox::gwtest;
namespace hooks = lumavox::gateway::testhooks;

namespace {

// Lowers the process's descriptor limit for the scope's life.
class DescriptorLimit {
  public:
    explicit DescriptorLimit(rlim_t soft) {
        ::getrlimit(RLIMIT_NOFILE, &before_);
        rlimit rl = before_;
        rl.rlim_cur = soft;
        ::setrlimit(RLIMIT_NOFILE, &rl);
    }
    ~DescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &before_); }

  private:
    rlimit before_{};
};

bool queued(DTU_HANDLE server, const std::string& name) {
    auto names = hooks::queuedNames(server);
    return std::find(names.begin(), names.end(), name) != names.end();
}

std::vector<std::string> dtusim(const Server& server, int count, const std::string& name) {
    return {dtusimPath(), "--gateway",           "127.0.0.1:" + std::to_string(server.port()),
            "--count",    std::to_string(count), "--name",
            name};
}

sockaddr_in loopbackAddress(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

Bytes pattern(size_t n, uint8_t seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(seed + i * 7 + i / 251);
    return b;
}

}  // namespace

TEST(HostileLoad, IdentifiedQueueIsBoundedAndDropsItsOldest) {
    Server server;
    hooks::setQueueLimit(server.handle(), 3);
    std::vector<std::unique_ptr<RawDtu>> dtus;
    for (int i = 0; i < 5; ++i) {
        dtus.push_back(std::make_unique<RawDtu>(server.port()));
        dtus.back()->send(makeRecord("T", "Q" + std::to_string(i)));
        // One at a time, so the order of identification is known.
        ASSERT_TRUE(waitFor([&] {
            hooks::runIdentificationPass();
            return queued(server.handle(), "Q" + std::to_string(i));
        }));
    }
    EXPECT_EQ(hooks::queuedNames(server.handle()), (std::vector<std::string>{"Q2", "Q3", "Q4"}));
    EXPECT_TRUE(dtus[0]->waitClosed());
    EXPECT_TRUE(dtus[1]->waitClosed());
    EXPECT_FALSE(dtus[2]->waitClosed(50));
    HandleGuard oldest(DTU_GetNewConnectedClient(server.handle()));
    ASSERT_NE(oldest.h, nullptr);
    char ip[DTU_IP_ADDRESS_SIZE], a[DTU_FIELD_A_SIZE], b[DTU_FIELD_B_SIZE], c[DTU_FIELD_C_SIZE],
        d[DTU_FIELD_D_SIZE];
    int port = 0;
    DTU_GetClientInfo(oldest.h, ip, &port, a, b, c, d);
    EXPECT_STREQ(b, "Q2");
}

// A DTU that sent its record and a load of bytes, then left before the host
// fetched it: the connection and everything it buffered go.
TEST(HostileLoad, QueuedConnectionWhosePeerLeftIsDroppedWithItsBytes) {
    Server server;
    auto dtu = std::make_unique<RawDtu>(server.port());
    dtu->send(makeRecord("T", "GONE"));
    dtu->send(pattern(200 * 1024, 1));
    ASSERT_TRUE(waitFor([&] {
        hooks::runIdentificationPass();
        return queued(server.handle(), "GONE") && hooks::bufferedBytes() >= 128 * 1024;
    }));
    dtu.reset();
    EXPECT_TRUE(waitFor([&] {
        hooks::runIdentificationPass();
        return hooks::queuedCount(server.handle()) == 0 && hooks::bufferedBytes() == 0;
    })) << hooks::queuedCount(server.handle())
        << " queued, " << hooks::bufferedBytes() << " bytes";
    EXPECT_EQ(DTU_GetNewConnectedClient(server.handle()), nullptr);
}

// Two connections whose host reads nothing, under a budget of 256 KiB: the
// first holds 192 KiB; as the second fills, the largest ring gives up its
// oldest bytes until both hold the same, 128 KiB beyond their first kilobyte.
// Each keeps the newest bytes it received, in order.
TEST(HostileLoad, BudgetTakesTheOldestBytesOfTheLargestRing) {
    hooks::setReceiveBudget(256 * 1024);
    Server server;
    RawDtu first(server.port()), second(server.port());
    first.send(makeRecord("T", "FIRST"));
    HandleGuard a(server.waitClient());
    second.send(makeRecord("T", "SECOND"));
    HandleGuard b(server.waitClient());
    ASSERT_NE(a.h, nullptr);
    ASSERT_NE(b.h, nullptr);

    const Bytes one = pattern(192 * 1024, 3), two = pattern(192 * 1024, 5);
    first.send(one);
    ASSERT_TRUE(waitFor([&] { return DTU_GetReceiveDataCount(a.h) == 192 * 1024; }));
    EXPECT_EQ(hooks::bufferedBytes(), 192u * 1024);
    second.send(two);
    const int kept = static_cast<int>(lumavox::gateway::ByteRing::kInitialCapacity) + 128 * 1024;
    EXPECT_TRUE(waitFor([&] {
        return DTU_GetReceiveDataCount(a.h) == kept && DTU_GetReceiveDataCount(b.h) == kept;
    })) << DTU_GetReceiveDataCount(a.h)
        << " and " << DTU_GetReceiveDataCount(b.h);
    EXPECT_EQ(hooks::bufferedBytes(), 256u * 1024);

    Bytes gotA = receiveFromClient(a.h, static_cast<size_t>(kept));
    Bytes gotB = receiveFromClient(b.h, static_cast<size_t>(kept));
    ASSERT_EQ(gotA.size(), static_cast<size_t>(kept));
    ASSERT_EQ(gotB.size(), static_cast<size_t>(kept));
    EXPECT_TRUE(std::equal(gotA.begin(), gotA.end(), one.end() - kept));
    EXPECT_TRUE(std::equal(gotB.begin(), gotB.end(), two.end() - kept));
    hooks::setReceiveBudget(0);
}

// More DTUs than the process has descriptors send their record and stay; the
// host fetches nothing. The bounds keep descriptors free, so a real DTU that
// comes afterwards is still accepted and identified.
TEST(HostileLoad, RecordFloodBeyondTheDescriptorLimitLeavesRoomForARealDtu) {
    DescriptorLimit limit(256);
    Server server;
    Child flood(dtusim(server, 300, "A%04d"));
    ASSERT_TRUE(flood.readLine(30000).has_value());
    std::unique_ptr<Child> real;
    ASSERT_NO_THROW(real = std::make_unique<Child>(dtusim(server, 1, "REAL")));
    ASSERT_TRUE(real->readLine(10000).has_value());
    EXPECT_TRUE(waitFor([&] { return queued(server.handle(), "REAL"); }, 20000));
    EXPECT_LE(hooks::queuedCount(server.handle()), 64u);
    EXPECT_LE(hooks::pendingCount(), 64u);
}

// With the bounds set far above the descriptor limit, the process runs out of
// descriptors all the same: the server then closes the oldest connection it
// holds for nobody and goes on accepting.
TEST(HostileLoad, OutOfDescriptorsTheOldestUnfetchedConnectionMakesRoom) {
    DescriptorLimit limit(128);
    hooks::setPendingLimit(1000);
    Server server;
    hooks::setQueueLimit(server.handle(), 1000);
    // The real DTU's socket is made now: once the flood is in, the process
    // has no descriptor to spare.
    int real = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(real, 0);
    Child flood(dtusim(server, 200, "A%04d"));
    ASSERT_TRUE(flood.readLine(30000).has_value());
    const sockaddr_in address = loopbackAddress(server.port());
    ASSERT_EQ(::connect(real, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ASSERT_TRUE(writeAll(real, makeRecord("T", "REAL")));
    EXPECT_TRUE(waitFor([&] { return queued(server.handle(), "REAL"); }, 20000));
    ::close(real);
    hooks::setPendingLimit(0);
}

// When the host itself holds every descriptor, a newcomer is taken off the
// accept queue with the server's spare descriptor and closed at once instead
// of waiting there for ever.
TEST(HostileLoad, WhenTheHostHoldsEveryDescriptorNewcomersAreTurnedAway) {
    DescriptorLimit limit(128);
    Server server;
    int dtu = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    ASSERT_GE(dtu, 0);
    std::vector<int> hoard;
    for (int fd; (fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC)) >= 0;)
        hoard.push_back(fd);
    const sockaddr_in address = loopbackAddress(server.port());
    ASSERT_EQ(::connect(dtu, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    const bool turnedAway = peerClosed(dtu, 5000);
    for (int fd : hoard)
        ::close(fd);
    ::close(dtu);
    EXPECT_TRUE(turnedAway);
    // With descriptors free again, DTUs get in as before.
    RawDtu later(server.port());
    later.send(makeRecord("T", "LATER"));
    HandleGuard client(server.waitClient());
    EXPECT_NE(client.h, nullptr);
}

// Giving memory back keeps the newest unread bytes in order, also when they
// wrap around the end of the storage, and never goes below the first KiB.
TEST(ReceiveRing, ShrinkingKeepsTheNewestBytesInOrder) {
    using lumavox::gateway::ByteRing;
    ByteRing ring;
    ring.grow(4096);  // 1 KiB + 4 KiB
    const Bytes data = pattern(7000, 9);
    ring.write(data.data(), 3000);
    Bytes sink(2500);
    ring.read(sink.data(), sink.size());   // the read index moves on ...
    ring.write(data.data() + 3000, 4000);  // ... and the newest bytes wrap around
    ASSERT_EQ(ring.count(), 4500u);
    EXPECT_EQ(ring.shrinkBy(2048), 2048u);
    EXPECT_EQ(ring.capacity(), 3072u);
    const std::string kept = ring.snapshot();
    ASSERT_EQ(kept.size(), 3072u);
    EXPECT_TRUE(std::equal(kept.begin(), kept.end(), data.end() - 3072,
                           [](char a, uint8_t b) { return static_cast<uint8_t>(a) == b; }));
    EXPECT_EQ(ring.shrinkBy(1 << 20), 2048u);
    EXPECT_EQ(ring.capacity(), ByteRing::kInitialCapacity);
    EXPECT_EQ(ring.snapshot().size(), ByteRing::kInitialCapacity);
    EXPECT_EQ(ring.shrinkBy(100), 0u);
}
