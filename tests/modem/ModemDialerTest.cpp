// The dialer against modemsim on a pseudo-terminal: the GSM check with each
// fault and signal class, dialling with its failures and time-out, hanging up
// and cancelling.
#include <gtest/gtest.h>

#include "ModemTestSupport.h"
#include "strings/StringTable.h"

namespace lumavox {
namespace {

using test::Modemsim;
using test::RecordingModemHost;

// A link whose COM 12 is the modem's line.
struct Rig {
    explicit Rig(std::vector<std::string> args, ModemTimings t = test::quickTimings(),
                 const Clock& clock = SystemClock::instance())
        : modem(std::move(args)),
          link(ComPortMap(std::map<int, std::string>{{12, modem.ptyPath()}})),
          dialer(link, host, clock, t) {}
    Modemsim modem;
    RecordingModemHost host;
    CSignLink link;
    ModemDialer dialer;
};

std::vector<std::string> withGuard(std::vector<std::string> args) {
    args.insert(args.end(), {"--guard-ms", "50", "--connect-ms", "50"});
    return args;
}

TEST(ModemCheck, HealthyModemGivesItsStatusLines) {
    Rig r(withGuard({"--csq", "17,99"}));
    ASSERT_TRUE(r.modem.started());
    ASSERT_TRUE(r.dialer.checkGsm(test::comTwelve()));
    EXPECT_EQ(r.host.gsm,
              "Pin Code needed: No\nModem registered to network: Yes\n"
              "Signal strength:  Good(17)\n");
    EXPECT_EQ(r.host.modem, "Modem is alive");
    EXPECT_TRUE(r.host.sawStatus("Is checking modem status"));
    EXPECT_EQ(r.host.statuses.back(), "Connect Status:\rCheck modem status over");
    EXPECT_EQ(r.host.buttons, (std::vector<bool>{false, true}));
    EXPECT_TRUE(r.link.isOpen());  // the port stays open for the dial
    EXPECT_FALSE(r.dialer.dialing());
}

TEST(ModemCheck, EverySignalClassAndRegistrationState) {
    struct Case {
        const char* csq;
        const char* creg;
        const char* lines;
    } cases[] = {
        {"3,0", "1", "Modem registered to network: Yes\nSignal strength:  Bad(3)\n"},
        {"12,0", "5", "Modem registered to network: Yes\nSignal strength:  Acceptable(12)\n"},
        {"22,0", "2", "Modem registered to network: No\nSignal strength:  Very good(22)\n"},
        {"31,0", "0", "Modem registered to network: No\nSignal strength:  Perfect(31)\n"},
    };
    for (const Case& c : cases) {
        Rig r(withGuard({"--csq", c.csq, "--creg", c.creg}));
        ASSERT_TRUE(r.dialer.checkGsm(test::comTwelve()));
        EXPECT_EQ(r.host.gsm, std::string("Pin Code needed: No\n") + c.lines) << c.csq;
    }
}

TEST(ModemCheck, DeadGarbageAndEndlessModemsAreNotAlive) {
    for (const char* fault : {"--dead", "--garbage", "--endless"}) {
        Rig r({fault});
        EXPECT_FALSE(r.dialer.checkGsm(test::comTwelve())) << fault;
        EXPECT_EQ(r.host.modem, "Modem is not alive") << fault;
        EXPECT_EQ(r.host.gsm, "Modem maybe not GSM Modem, or not insert SIM Card in GSM Modem!");
        EXPECT_FALSE(r.link.isOpen());
        EXPECT_FALSE(r.dialer.dialing());
        EXPECT_EQ(r.host.buttons.back(), true);
        // A dial after the failed check is refused at once.
        EXPECT_FALSE(r.dialer.dial("123", test::comTwelve()));
        EXPECT_EQ(r.host.boxes.back(), "Error: Modem is not alive");
    }
}

TEST(ModemCheck, PinIsAskedCheckedAndCancellable) {
    {
        Rig r(withGuard({"--pin", "4321", "--csq", "20,0"}));
        r.host.pins = {"", "4321"};  // the empty code is refused and asked again
        ASSERT_TRUE(r.dialer.checkGsm(test::comTwelve()));
        EXPECT_EQ(r.host.pinAsks, 2);
        EXPECT_EQ(r.host.boxes,
                  (std::vector<std::string>{"Error: Sorry, Pin Code can not be left blank!"}));
        EXPECT_EQ(r.host.gsm,
                  "Pin Code needed: Yes\nModem registered to network: Yes\n"
                  "Signal strength:  Very good(20)\n");
    }
    {
        Rig r(withGuard({"--pin", "4321"}));
        r.host.pins = {"1111"};
        ASSERT_TRUE(r.dialer.checkGsm(test::comTwelve()));
        EXPECT_EQ(r.host.gsm.substr(0, r.host.gsm.find('\n')), "Pin Code needed: Error");
        EXPECT_NE(r.host.gsm.find("registered to network: No"), std::string::npos);
    }
    {
        Rig r(withGuard({"--pin", "4321"}));
        EXPECT_FALSE(r.dialer.checkGsm(test::comTwelve()));  // no code: Cancel
        EXPECT_EQ(r.host.gsm, "Pin Code needed: Yes(Cancelled by user)\n");
        EXPECT_FALSE(r.link.isOpen());
    }
}

TEST(ModemCheck, MissingPortAndPortThatWillNotOpen) {
    RecordingModemHost host;
    CSignLink link(ComPortMap(std::map<int, std::string>{{12, "/nonexistent/tty"}}));
    ModemDialer dialer(link, host);
    ModemTarget none = test::comTwelve();
    none.comPort = 0;
    EXPECT_FALSE(dialer.checkGsm(none));
    EXPECT_EQ(host.boxes.back(), "Error: Get modem comport error when dial up");
    EXPECT_FALSE(dialer.checkGsm(test::comTwelve()));
    EXPECT_EQ(host.boxes.back(),
              "Error: Init comport error,the comport may be occupy by another program,please "
              "close this program and try again!");
    EXPECT_FALSE(dialer.dialing());
}

TEST(ModemDial, LineComesUpAndHangsUp) {
    Rig r(withGuard({}));
    ASSERT_TRUE(r.dialer.checkGsm(test::comTwelve()));
    ASSERT_TRUE(r.dialer.dial(" 5551234 ", test::comTwelve()));
    EXPECT_EQ(r.link.linkState(), LinkState::Modem);
    EXPECT_FALSE(r.dialer.dialing());
    EXPECT_EQ(r.host.dialed, (std::vector<std::string>{"5551234"}));
    EXPECT_TRUE(r.host.sawStatus("Connect Status:\rConnect successfully!(CONNECT"));
    // Dialling again with the line up only says so.
    EXPECT_TRUE(r.dialer.dial("5551234", test::comTwelve()));
    EXPECT_EQ(r.host.boxes.back(), "Prompt: Now PC is connected with moving-sign by modem!");

    r.dialer.hangUp();
    EXPECT_EQ(r.link.linkState(), LinkState::None);
    EXPECT_FALSE(r.link.isOpen());
    EXPECT_EQ(r.host.statuses.back(), "Connect Status:\rDisconnected!");
    EXPECT_TRUE(r.host.sawStatus("Command is OK!(OK)"));  // "+++" and "ATH0" were answered

    // The modem is back in its command state: it dials again without a check.
    ASSERT_TRUE(r.dialer.dial("5551234", test::comTwelve()));
    r.dialer.hangUp();
}

TEST(ModemDial, FailureWordsEndTheAttempt) {
    struct Case {
        const char* fault;
        const char* status;
    } cases[] = {
        {"--busy", "Connect Status:\rThe other side is busy!(BUSY)"},
        {"--no-carrier", "Connect Status:\rNo carrier!(NO CARRIER)"},
        {"--no-dialtone", "Connect Status:\rNo dialtone!(NO DIALTONE)"},
    };
    for (const Case& c : cases) {
        Rig r(withGuard({c.fault}));
        EXPECT_FALSE(r.dialer.dial("5551234", test::comTwelve())) << c.fault;
        EXPECT_TRUE(r.host.sawStatus(c.status)) << c.fault;
        EXPECT_EQ(r.link.linkState(), LinkState::None);
        EXPECT_FALSE(r.link.isOpen());
        EXPECT_FALSE(r.dialer.dialing());
    }
}

TEST(ModemDial, NoAnswerTimesOutOnTheInjectedClock) {
    // Every reading of the clock moves it 1 s: the 60-second limit passes
    // after a few dozen polls of at most 10 ms each.
    FixedClock clock;
    clock.setTickStep(1000);
    ModemTimings t;  // the real limits
    Rig r({"--no-answer", "--connect-ms", "0"}, t, clock);
    EXPECT_FALSE(r.dialer.dial("5551234", test::comTwelve()));
    EXPECT_EQ(r.host.statuses.back(), "Connect Status:\rDial time out!");
    EXPECT_EQ(r.link.linkState(), LinkState::None);
    EXPECT_FALSE(r.link.isOpen());
    EXPECT_FALSE(r.dialer.dialing());
    EXPECT_LE(r.host.pumps, 200);
}

TEST(ModemDial, SilentAndTalkingModemsAreBounded) {
    for (const char* fault : {"--dead", "--endless", "--garbage"}) {
        FixedClock clock;
        clock.setTickStep(1000);
        Rig r({fault}, ModemTimings{}, clock);
        EXPECT_FALSE(r.dialer.dial("5551234", test::comTwelve())) << fault;
        EXPECT_EQ(r.host.statuses.back(), "Connect Status:\rDial time out!") << fault;
        EXPECT_FALSE(r.dialer.dialing());
    }
}

TEST(ModemDial, RefusalsBeforeDialling) {
    Rig r(withGuard({}));
    ModemTarget none = test::comTwelve();
    none.model.clear();
    EXPECT_FALSE(r.dialer.dial("1", none));
    EXPECT_EQ(r.host.boxes.back(), "Error: You must select a modem in 'Modem->Modem Info...'");
    const std::string tooLong(80, '1');
    for (const char* bad : {"", "   ", "12\r34", "ATH", tooLong.c_str()}) {
        EXPECT_FALSE(r.dialer.dial(bad, test::comTwelve()));
        EXPECT_EQ(r.host.boxes.back(),
                  "Error: Connect Status:\rInvalid phone number or phone number empty!");
    }
    r.link.setLinkState(LinkState::Tcp);
    EXPECT_FALSE(r.dialer.dial("1", test::comTwelve()));
    EXPECT_EQ(r.host.boxes.back(), "Prompt: Now PC is connected with moving-sign by network");
    r.link.setLinkState(LinkState::None);
    EXPECT_TRUE(r.host.dialed.empty());
    EXPECT_FALSE(r.link.isOpen());
}

TEST(ModemDial, CloseDuringTheCallCancelsIt) {
    Rig r({"--no-answer", "--guard-ms", "50", "--connect-ms", "0"});
    bool closed = false;
    r.host.onPump = [&](int) {
        // The window's "Close" while the call is being attempted.
        if (!closed && r.dialer.dialing() && r.host.sawStatus("dialing up")) {
            closed = true;
            r.dialer.close();
        }
    };
    EXPECT_FALSE(r.dialer.dial("5551234", test::comTwelve()));
    EXPECT_TRUE(closed);
    EXPECT_TRUE(r.host.sawStatus("Connect Status:\rDial up cancelled by user!"));
    EXPECT_FALSE(r.dialer.dialing());
    EXPECT_FALSE(r.link.isOpen());
    EXPECT_EQ(r.link.linkState(), LinkState::None);
}

TEST(ModemDial, DialerGoneWhileCallingReleasesThePort) {
    Modemsim modem({"--no-answer"});
    RecordingModemHost host;
    CSignLink link(ComPortMap(std::map<int, std::string>{{12, modem.ptyPath()}}));
    {
        ModemDialer dialer(link, host);
        bool openWhileCalling = false;
        host.onPump = [&](int n) {
            if (n == 5) openWhileCalling = link.isOpen();
        };
        ModemTimings t;
        t.dialLimitMs = 100;
        dialer.setTimings(t);
        dialer.dial("5551234", test::comTwelve());
        EXPECT_TRUE(openWhileCalling);
        EXPECT_EQ(link.modemDialer(), &dialer);
    }
    EXPECT_EQ(link.modemDialer(), nullptr);
    EXPECT_FALSE(link.isOpen());
}

TEST(Modemsim, RefusesBadOptions) {
    EXPECT_EQ(test::runModemsim({"--pty", "--csq", "17"}), 2);
    EXPECT_EQ(test::runModemsim({"--pty", "--sign", "udp:x:1"}), 2);
    EXPECT_EQ(test::runModemsim({"--creg", "1"}), 2);  // no --pty
    EXPECT_EQ(test::runModemsim({"--help"}), 0);
}

}  // namespace
}  // namespace lumavox
