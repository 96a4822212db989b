// dtusim as the tests and the benchmark rely on it: many DTUs from one
// process, and the bridge to a sign behind the DTU.
#include <gtest/gtest.h>

#include <unistd.h>

#include <set>

#include "GatewayTestSupport.h"
#include "Gprslink.h"

using namespace lumavox::gwtest;

namespace {

std::string gatewayArg(const Server& s) {
    return "127.0.0.1:" + std::to_string(s.port());
}

std::string nameOf(DTU_HANDLE h) {
    char ip[20], a[20], b[20], c[20], d[20];
    int port;
    DTU_GetClientInfo(h, ip, &port, a, b, c, d);
    return b;
}

}  // namespace

TEST(Dtusim, CountRunsManyDtusNamedFromThePattern) {
    Server server;
    Child sim({dtusimPath(), "--gateway", gatewayArg(server), "--count", "12", "--name", "N%03d"});
    auto line = sim.readLine();
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(line->rfind("connected 12 12 ", 0), 0u) << *line;
    std::set<std::string> names;
    std::vector<std::unique_ptr<HandleGuard>> clients;
    for (int i = 0; i < 12; ++i) {
        clients.push_back(std::make_unique<HandleGuard>(server.waitClient()));
        ASSERT_NE(clients.back()->h, nullptr);
        names.insert(nameOf(clients.back()->h));
    }
    EXPECT_EQ(names.size(), 12u);
    EXPECT_TRUE(names.count("N001") && names.count("N012"));
}

TEST(Dtusim, BridgesATransparentDtuToTheSign) {
    Server server;
    Listener sign;
    Child sim({dtusimPath(), "--gateway", gatewayArg(server), "--type", "MQB-47C", "--sign",
               "tcp:127.0.0.1:" + std::to_string(sign.port())});
    HandleGuard client(server.waitClient());
    ASSERT_NE(client.h, nullptr);
    int signFd = sign.accept();
    ASSERT_GE(signFd, 0);
    // The gateway escapes 0xFE for this type; the DTU gives the sign the original.
    const Bytes toSign = {0xFE, 'A', 0xFE, 0x03};
    EXPECT_EQ(DTU_SendData(client.h, toSign.data(), 4), 4);
    EXPECT_EQ(readExactly(signFd, 4), toSign);
    // A sign reply that starts with 0xFE reaches the host whole.
    writeAll(signFd, {0xFE, 0xFA, 0xFA});
    EXPECT_EQ(receiveFromClient(client.h, 3), (Bytes{0xFE, 0xFA, 0xFA}));
    ::close(signFd);
}

TEST(Dtusim, BridgesAFramedDtuToTheSign) {
    Server server;
    Listener sign;
    Child sim({dtusimPath(), "--gateway", gatewayArg(server), "--framed", "--sign",
               "tcp:127.0.0.1:" + std::to_string(sign.port())});
    HandleGuard client(server.waitClient());
    ASSERT_NE(client.h, nullptr);
    int signFd = sign.accept();
    ASSERT_GE(signFd, 0);
    const Bytes frame = bytes("$WRL>frame");
    EXPECT_EQ(DTU_SendDataEx(client.h, frame.data(), static_cast<int>(frame.size()), 1, 3000), 1);
    EXPECT_EQ(readExactly(signFd, frame.size()), frame);
    writeAll(signFd, {0xFA, 0xFA, 0xFA});
    EXPECT_EQ(receiveFromClient(client.h, 3), (Bytes{0xFA, 0xFA, 0xFA}));
    ::close(signFd);
}

TEST(Dtusim, RefusesBadOptions) {
    Child noTarget({dtusimPath(), "--count", "3"});
    EXPECT_FALSE(noTarget.readLine(2000).has_value());
    Child badSign({dtusimPath(), "--gateway", "127.0.0.1:1", "--sign", "serial:/dev/x"});
    EXPECT_FALSE(badSign.readLine(2000).has_value());
}
