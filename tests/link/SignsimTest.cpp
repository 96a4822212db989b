// The virtual sign as a real process, over loopback TCP and a pseudo-terminal.
#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>

#include "../../bench/Loopback.h"
#include "LinkTestSupport.h"
#include "protocol/Frame.h"
#include "strings/StringTable.h"
#include "transport/SignLink.h"

using namespace lumavox;
using namespace lumavox::test;

namespace {

constexpr int kLimit = 5000;  // generous: only reached when something is wrong

std::filesystem::path tempDir(const std::string& name) {
    auto p = std::filesystem::temp_directory_path() /
             ("lumavox-link-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(p);
    std::filesystem::create_directories(p);
    return p;
}

// A link connected to a signsim over TCP.
struct TcpSign {
    Signsim sim;
    CSignLink link;
    TestReceiver rx{link};
    explicit TcpSign(std::vector<std::string> extra) : sim(args(std::move(extra))) {
        if (!sim.started()) return;
        std::string error;
        if (link.connect(&rx, "127.0.0.1", sim.port(), error)) link.setLinkState(LinkState::Tcp);
    }
    static std::vector<std::string> args(std::vector<std::string> extra) {
        extra.insert(extra.begin(), {"--tcp", "0"});
        return extra;
    }
    bool ready() const { return sim.started() && link.socketOpen(); }
    int send(const std::string& payload, uint8_t address, uint8_t seq, int limit = kLimit) {
        std::string error;
        auto frame = frameOf(bytesOf(payload), address, seq);
        return sendAndAwait(link, frame, limit, error);
    }
};

}  // namespace

TEST(Signsim, AnswersAFrameWithTheHandshake) {
    TcpSign s({});
    ASSERT_TRUE(s.ready()) << s.sim.listenLine();
    std::string error;
    auto frame = hexBytes("24 57 52 4C 3E 0A 00 41 01 00 00 00 00 00 00 73 7A D0 FE");
    EXPECT_EQ(sendAndAwait(s.link, frame, kLimit, error), 1) << error;
    EXPECT_EQ(s.rx.allBytes, hexBytes("FA FA FA"));
}

TEST(Signsim, NeverAnswersAddressZeroButAppliesIt) {
    TcpSign s({"--address", "1,3"});
    ASSERT_TRUE(s.ready());
    std::string error;
    auto broadcast = frameOf(bytesOf("tz"), 0, 0);
    ASSERT_TRUE(s.link.send(broadcast, error));
    EXPECT_EQ(s.send("uz", 3, 0), 1);
    EXPECT_EQ(s.send("uz", 2, 0, 300), 0);  // no sign 2 on this line
    for (int i = 0; i < 10; ++i)
        s.link.poll(error, 10);
    EXPECT_EQ(s.rx.allBytes, hexBytes("FA FA FA"));  // one handshake only
}

TEST(Signsim, NoiseBeforeAFrameIsSkipped) {
    TcpSign s({});
    ASSERT_TRUE(s.ready());
    std::string error;
    auto bytes = bytesOf("\x01\x02$WRL\xFA garbage $WRL>\x03\x00");
    auto frame = frameOf(bytesOf("uz"), 1, 0);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    EXPECT_EQ(sendAndAwait(s.link, bytes, kLimit, error), 1) << error;
}

TEST(Signsim, A2500BytePayloadInThreeFramesIsStoredAndReadBack) {
    TcpSign s({"--frame", "400"});
    ASSERT_TRUE(s.ready());
    auto body = textBody("NEWS", 2499);
    std::vector<uint8_t> payload{'a'};
    payload.insert(payload.end(), body.begin(), body.end());
    ASSERT_EQ(frameCount(payload.size(), 1000), 3u);
    size_t next = 0;
    unsigned seq = 0;
    std::string error;
    while (next < payload.size()) {
        std::vector<uint8_t> frame;
        next = buildFrame(payload, next, 1000, 1, sequenceByte(seq++), frame);
        ASSERT_EQ(sendAndAwait(s.link, frame, kLimit, error), 1) << error;
    }
    ASSERT_EQ(s.send("z", 1, sequenceByte(seq++)), 1);

    // The directory: one entry of 17 bytes.
    ASSERT_EQ(readReply(s.link, s.rx, bytesOf("k"), 1, 0, kLimit), ReceptionState::Complete);
    ASSERT_EQ(s.rx.reply.size(), 19u);
    EXPECT_EQ(s.rx.reply[1], 1);
    EXPECT_EQ(s.rx.reply[2], 0);
    EXPECT_EQ(std::string(s.rx.reply.begin() + 3, s.rx.reply.begin() + 7), "NEWS");
    EXPECT_EQ(s.rx.reply[11] | (s.rx.reply[12] << 8), 2499);

    // The file itself comes back in seven 400-byte frames, numbered on.
    auto request = bytesOf("mNEWS");
    request.resize(9, 0);
    ASSERT_EQ(readReply(s.link, s.rx, request, 1, 1, kLimit), ReceptionState::Complete);
    EXPECT_EQ(s.rx.reception.chunks().size(), 7u);
    ASSERT_EQ(s.rx.reply.size(), 2500u);
    EXPECT_EQ(std::vector<uint8_t>(s.rx.reply.begin() + 1, s.rx.reply.end()), body);
}

TEST(Signsim, SequenceNumbersWrapAround) {
    TcpSign s({});
    ASSERT_TRUE(s.ready());
    for (unsigned k = 0; k < 300; ++k)
        ASSERT_EQ(s.send(k % 2 ? "uz" : "tz", 1, sequenceByte(k)), 1) << k;
}

TEST(Signsim, ReadsAnswerFromTheSignsState) {
    TcpSign s({"--model", "MODEL-X", "--serial", "SN42", "--config", "0x21", "--frame", "11"});
    ASSERT_TRUE(s.ready());
    ASSERT_EQ(s.send(std::string("jNEWS\0\0\0\0z", 10), 1, 0), 1);
    ASSERT_EQ(s.send(std::string("J\x01\x07\x1e\x00\x16\x00z", 8), 1, 1), 1);
    std::string task(22, '\0');
    task[0] = static_cast<char>(0x81);
    ASSERT_EQ(s.send("c\x01" + task + "z", 1, 2), 1);

    struct Case {
        std::string request;
        std::vector<uint8_t> reply;
    } cases[] = {
        {"y", hexBytes("79 4E 45 57 53 00 00 00 00")},
        {"K", hexBytes("4B 01 07 1E 00 16 00")},
        {"I", hexBytes("49 21")},
        {"E", bytesOf(std::string("ESN42\0", 6))},
        {"L", bytesOf(std::string("LMODEL-X\0\x01\x02\x0f\x06\xe7\x07\x01\x00\x03", 18))},
        {"i", hexBytes("69 00 00 FF FF 00 00 00 40")},
    };
    for (auto& c : cases) {
        // Read to the end even where the editor's rule is "complete with the
        // first frame": these replies span several 11-byte frames.
        auto whole = [&](const std::vector<uint8_t>&) { return c.reply.size(); };
        ASSERT_EQ(readReply(s.link, s.rx, bytesOf(c.request), 1, 0, kLimit, whole),
                  ReceptionState::Complete)
            << c.request;
        EXPECT_EQ(s.rx.reply, c.reply) << c.request;
    }
    ASSERT_EQ(readReply(s.link, s.rx, bytesOf("o"), 1, 0, kLimit), ReceptionState::Complete);
    ASSERT_EQ(s.rx.reply.size(), 24u);
    EXPECT_EQ(s.rx.reply[1], 1);
    EXPECT_EQ(s.rx.reply[2], 0x81);
}

TEST(Signsim, AChainAnswersOnlyItsOwnAddresses) {
    TcpSign s({"--address", "2-3,7"});
    ASSERT_TRUE(s.ready());
    EXPECT_EQ(s.send("uz", 2, 0), 1);
    EXPECT_EQ(s.send("uz", 3, 0), 1);
    EXPECT_EQ(s.send("uz", 7, 0), 1);
    EXPECT_EQ(s.send("uz", 4, 0, 300), 0);
    // Changing address 7 to 9: the sign answers at its new address only.
    EXPECT_EQ(s.send(std::string("A\x09z", 3), 7, 0), 1);
    EXPECT_EQ(s.send("tz", 9, 1), 1);
    EXPECT_EQ(s.send("uz", 7, 2, 300), 0);
}

TEST(Signsim, DroppedHandshakesAreAnsweredOnTheRepeat) {
    TcpSign s({"--drop-handshake", "1"});
    ASSERT_TRUE(s.ready());
    EXPECT_EQ(s.send("uz", 1, 0, 300), 0);
    EXPECT_EQ(s.send("uz", 1, 0), 1);
}

TEST(Signsim, ARepeatedFrameIsAnsweredButNotAppliedTwice) {
    TcpSign s({});
    ASSERT_TRUE(s.ready());
    auto body = textBody("ONE", 30);
    std::string payload = "a" + std::string(body.begin(), body.end());
    ASSERT_EQ(s.send(payload, 1, 0), 1);
    ASSERT_EQ(s.send(payload, 1, 0), 1);  // the same frame again: answered
    ASSERT_EQ(readReply(s.link, s.rx, bytesOf("k"), 1, 1, kLimit), ReceptionState::Complete);
    EXPECT_EQ(s.rx.reply[1], 1);
}

TEST(Signsim, ACorruptReplyEndsTheReadWithTheChecksumText) {
    TcpSign s({"--corrupt-reply"});
    ASSERT_TRUE(s.ready());
    EXPECT_EQ(readReply(s.link, s.rx, bytesOf("i"), 1, 0, kLimit), ReceptionState::Failed);
    EXPECT_EQ(s.rx.reception.failureText(), msg::kFrameChecksumError);
}

TEST(Signsim, RepeatedReplyFramesAreAcknowledgedAndDropped) {
    TcpSign s({"--repeat-reply", "--frame", "11", "--model", "A-RATHER-LONG-MODEL-NAME"});
    ASSERT_TRUE(s.ready());
    // "L", the model, its zero and nine bytes of versions: 35 bytes in four frames,
    // the first three each sent twice.
    auto whole = [](const std::vector<uint8_t>&) { return size_t{35}; };
    ASSERT_EQ(readReply(s.link, s.rx, bytesOf("L"), 1, 0, kLimit, whole), ReceptionState::Complete);
    EXPECT_EQ(s.rx.reception.chunks().size(), 4u);
    ASSERT_EQ(s.rx.reply.size(), 35u);
    EXPECT_EQ(std::string(s.rx.reply.begin() + 1, s.rx.reply.begin() + 25),
              "A-RATHER-LONG-MODEL-NAME");
    size_t frames = 0;
    for (size_t i = 0; i + 5 <= s.rx.allBytes.size(); ++i)
        frames += std::equal(kFrameStart.begin(), kFrameStart.end(), s.rx.allBytes.begin() + i);
    EXPECT_EQ(frames, 7u);
}

TEST(Signsim, AStalledSignStopsAnswering) {
    TcpSign s({"--stall-after", "2"});
    ASSERT_TRUE(s.ready());
    EXPECT_EQ(s.send("uz", 1, 0), 1);
    EXPECT_EQ(s.send("tz", 1, 1), 1);
    EXPECT_EQ(s.send("uz", 1, 2, 300), 0);
}

TEST(Signsim, ALateAnswerArrivesAfterItsDelay) {
    TcpSign s({"--delay-ms", "300"});
    ASSERT_TRUE(s.ready());
    EXPECT_EQ(s.send("uz", 1, 0, 30), 0);  // the handshake cannot be there yet
    std::string error;
    EXPECT_EQ(s.link.awaitHandshake(kLimit, error), 1) << error;
}

TEST(Signsim, AStallMidReplyLeavesTheReadIncomplete) {
    TcpSign s({"--stall-after", "3", "--frame", "100", "--ack-timeout-ms", "50"});
    ASSERT_TRUE(s.ready());
    auto body = textBody("BIG", 450);
    ASSERT_EQ(s.send("a" + std::string(body.begin(), body.end()), 1, 0), 1);
    auto request = bytesOf("mBIG");
    request.resize(9, 0);
    // The request is frame 2 and the first reply frame 3; then the sign is silent.
    EXPECT_EQ(readReply(s.link, s.rx, request, 1, 1, 500), ReceptionState::Receiving);
    EXPECT_EQ(s.rx.reception.chunks().size(), 1u);
    EXPECT_EQ(s.rx.reply.size(), 100u);
}

TEST(Signsim, ClosingTheConnectionDuringAHandshakeWait) {
    TcpSign s({"--close-after", "2"});
    ASSERT_TRUE(s.ready());
    EXPECT_EQ(s.send("uz", 1, 0), 1);
    std::string error;
    auto frame = frameOf(bytesOf("tz"), 1, 1);
    ASSERT_TRUE(s.link.send(frame, error));
    EXPECT_EQ(s.link.awaitHandshake(kLimit, error), -1);
    EXPECT_EQ(error, "Client closed connection");
    EXPECT_EQ(s.link.linkState(), LinkState::None);
}

TEST(Signsim, WhatItReceivesSurvivesARestart) {
    auto dir = tempDir("store");
    {
        TcpSign s({"--store", dir.string()});
        ASSERT_TRUE(s.ready());
        auto body = textBody("KEEP", 40);
        ASSERT_EQ(s.send("a" + std::string(body.begin(), body.end()), 1, 0), 1);
        ASSERT_EQ(s.send(std::string("jKEEP\0\0\0\0z", 10), 1, 1), 1);
        ASSERT_EQ(s.send("z", 1, 2), 1);
    }
    {
        TcpSign s({"--store", dir.string()});
        ASSERT_TRUE(s.ready());
        ASSERT_EQ(readReply(s.link, s.rx, bytesOf("k"), 1, 0, kLimit), ReceptionState::Complete);
        EXPECT_EQ(s.rx.reply[1], 1);
        EXPECT_EQ(std::string(s.rx.reply.begin() + 3, s.rx.reply.begin() + 7), "KEEP");
        ASSERT_EQ(readReply(s.link, s.rx, bytesOf("y"), 1, 1, kLimit), ReceptionState::Complete);
        EXPECT_EQ(s.rx.reply, hexBytes("79 4B 45 45 50 00 00 00 00"));
        // Clearing all memory empties the folder's files too.
        ASSERT_EQ(s.send("ez", 1, 2), 1);
    }
    {
        TcpSign s({"--store", dir.string()});
        ASSERT_TRUE(s.ready());
        ASSERT_EQ(readReply(s.link, s.rx, bytesOf("k"), 1, 0, kLimit), ReceptionState::Complete);
        EXPECT_EQ(s.rx.reply, hexBytes("6B 00"));
    }
    std::filesystem::remove_all(dir);
}

TEST(Signsim, TheLogHasAJsonLinePerFrame) {
    auto dir = tempDir("log");
    auto log = dir / "conversation.jsonl";
    {
        TcpSign s({"--log", log.string()});
        ASSERT_TRUE(s.ready());
        ASSERT_EQ(s.send("sz", 1, 0), 1);
        ASSERT_EQ(readReply(s.link, s.rx, bytesOf("I"), 1, 1, kLimit), ReceptionState::Complete);
        s.link.closeSocket();
        s.sim.stop();
    }
    std::ifstream in(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    auto find = [&](const std::string& part) {
        for (auto& l : lines)
            if (l.find(part) != std::string::npos) return true;
        return false;
    };
    EXPECT_TRUE(find("\"dir\":\"rx\",\"kind\":\"frame\",\"address\":1,\"seq\":0,\"code\":\"s\""));
    EXPECT_TRUE(find("\"hex\":\"2457524c3e0a004101000000000000737ad0fe\""));
    EXPECT_TRUE(find("\"dir\":\"tx\",\"kind\":\"handshake\""));
    EXPECT_TRUE(find("\"dir\":\"tx\",\"kind\":\"frame\",\"address\":1,\"seq\":0,\"code\":\"I\""));
    EXPECT_TRUE(find("\"dir\":\"rx\",\"kind\":\"ack\""));
    for (auto& l : lines)
        EXPECT_TRUE(l.front() == '{' && l.back() == '}') << l;
    std::filesystem::remove_all(dir);
}

TEST(Signsim, ASilentClientIsDroppedAfterTheIdleLimitSoTheNextOneIsServed) {
    auto dir = tempDir("idle");
    auto log = dir / "conversation.jsonl";
    Signsim sim({"--tcp", "0", "--idle-ms", "300", "--log", log.string()});
    ASSERT_TRUE(sim.started()) << sim.listenLine();
    // The first client connects and says nothing.
    const int silent = bench::connectLoopback(sim.port());
    ASSERT_GE(silent, 0);
    CSignLink link;
    TestReceiver rx{link};
    std::string error;
    ASSERT_TRUE(link.connect(&rx, "127.0.0.1", sim.port(), error)) << error;
    link.setLinkState(LinkState::Tcp);
    EXPECT_EQ(sendAndAwait(link, frameOf(bytesOf("sz"), 1, 0), 4 * kLimit, error), 1) << error;
    // The silent one was closed by the sign.
    pollfd p{silent, POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 4 * kLimit), 1);
    char c = 0;
    EXPECT_EQ(::read(silent, &c, 1), 0);
    ::close(silent);
    link.closeSocket();
    sim.stop();
    std::ifstream in(log);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("dropped (--idle-ms 300)"), std::string::npos) << all;
    std::filesystem::remove_all(dir);
}

// A simulator started for a test ends with the process that started it, even
// when that process is killed and cleans nothing up.
TEST(Signsim, EndsWithTheProcessThatStartedIt) {
    int pids[2];
    ASSERT_EQ(::pipe(pids), 0);
    const pid_t starter = ::fork();
    ASSERT_GE(starter, 0);
    if (starter == 0) {
        int out = -1;
        pid_t sign = spawnChild(Signsim::path(), {"--tcp", "0"}, out, nullptr);
        if (::write(pids[1], &sign, sizeof sign) != sizeof sign) ::_exit(1);
        for (;;)
            ::pause();
    }
    pid_t sign = -1;
    ASSERT_EQ(::read(pids[0], &sign, sizeof sign), static_cast<ssize_t>(sizeof sign));
    ::close(pids[0]);
    ::close(pids[1]);
    ASSERT_GT(sign, 0);
    ::kill(starter, SIGKILL);
    ASSERT_EQ(::waitpid(starter, nullptr, 0), starter);
    // Gone, or a zombie waiting for init to reap it.
    auto running = [sign] {
        std::ifstream stat("/proc/" + std::to_string(sign) + "/stat");
        std::string pid, name, state;
        return stat >> pid >> name >> state && state != "Z";
    };
    bool ended = false;
    for (int i = 0; i < 200 && !ended; ++i) {
        ended = !running();
        if (!ended) ::poll(nullptr, 0, 50);
    }
    EXPECT_TRUE(ended) << "signsim " << sign << " outlived the process that started it";
    if (!ended) ::kill(sign, SIGKILL);
}

TEST(Signsim, ServesAPseudoTerminal) {
    Signsim sim({"--pty", "--frame", "100"});
    ASSERT_TRUE(sim.started());
    std::string path = sim.ptyPath();
    ASSERT_FALSE(path.empty());
    CSignLink link(ComPortMap({{5, path}}));
    TestReceiver rx(link);
    ASSERT_TRUE(link.open(&rx, 5, baudRateForIndex(3))) << link.openError();
    std::string error;
    auto frame = frameOf(bytesOf("sz"), 1, 0);
    EXPECT_EQ(sendAndAwait(link, frame, kLimit, error), 1) << error;
    auto body = textBody("PTY", 450);
    auto payload = bytesOf("a" + std::string(body.begin(), body.end()));
    EXPECT_EQ(sendAndAwait(link, frameOf(payload, 1, 1), kLimit, error), 1) << error;
    auto request = bytesOf("mPTY");
    request.resize(9, 0);
    ASSERT_EQ(readReply(link, rx, request, 1, 2, kLimit), ReceptionState::Complete);
    EXPECT_EQ(rx.reception.chunks().size(), 5u);
    EXPECT_EQ(std::vector<uint8_t>(rx.reply.begin() + 1, rx.reply.end()), body);
    // The line stays up for the next program that opens it.
    link.close();
    CSignLink again(ComPortMap({{5, path}}));
    ASSERT_TRUE(again.open(nullptr, 5, 9600));
    EXPECT_EQ(sendAndAwait(again, frameOf(bytesOf("uz"), 1, 0), kLimit, error), 1) << error;
}

TEST(Signsim, RefusesBadOptions) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--tcp", "0", "--pty"},
        {"--tcp", "70000"},
        {"--tcp", "0", "--address", "0"},
        {"--tcp", "0", "--address", "1,,2"},
        {"--tcp", "0", "--frame", "0"},
        {"--tcp", "0", "--frame", "1001"},
        {"--tcp", "0", "--config", "256"},
        {"--tcp", "0", "--model", std::string(61, 'M')},
        {"--tcp", "0", "--delay-ms", "-1"},
        {"--pty", "--close-after", "1"},
        {"--tcp"},
        {"--tcp", "0", "--bogus"},
    };
    for (auto& args : bad) {
        std::string err;
        EXPECT_EQ(runSignsim(args, err), 2) << (args.empty() ? "" : args.back());
        EXPECT_EQ(err.rfind("signsim: ", 0), 0u) << err;
    }
    std::string err;
    EXPECT_EQ(runSignsim({"--tcp", "0", "--bind", "not-an-address"}, err), 1);
    EXPECT_NE(err.find("--bind"), std::string::npos);
}
