// The modem menu's windows offscreen: "Modem Info..." over an installed set
// of modems, the dial window checking, dialling and hanging up a modemsim
// line, the "Pin Code" dialog, and the refusal without a modem.
#include <gtest/gtest.h>

#include <cstdlib>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "ModemTestSupport.h"
#include "UiTestSupport.h"
#include "strings/CommandIds.h"
#include "ui/dialogs/ModemDialogs.h"

namespace lumavox {
namespace {

using test::FrameFixture;

void install(FrameFixture& f, const std::string& model, const std::string& port) {
    std::string e;
    ASSERT_TRUE(installModem(*f.context().store, *f.context().settings, model, port, 0, e)) << e;
}

TEST(ModemWindow, ModemInfoListsRealModemsAndKeepsTheChoice) {
    FrameFixture f;
    f.frame().newDocument(160, 16, 0);
    install(f, "Hayes", "12");
    install(f, "IP Virtual Modem", "3");
    install(f, "USB GSM", "4");
    int count = 0;
    QString port, speed, otherPort;
    test::answerNextDialog([&](QWidget* w) {
        auto* d = qobject_cast<ui::CModemInfoDlg*>(w);
        ASSERT_NE(d, nullptr);
        count = d->modems()->count();
        port = d->port()->text();
        speed = d->speed()->text();
        d->modems()->setCurrentIndex(1);
        otherPort = d->port()->text();
        d->accept();
    });
    ASSERT_TRUE(f.frame().runCommand(cmd::kSelectModem));
    EXPECT_EQ(count, 2);  // the IP virtual modem is not offered
    EXPECT_EQ(port, "COM12");
    EXPECT_EQ(speed, "115200baud");
    EXPECT_EQ(otherPort, "COM4");
    EXPECT_EQ(f.context().settings->modemName, "USB GSM");
    EXPECT_EQ(f.context().store->LoadSettings().modemName, "USB GSM");
}

TEST(ModemWindow, DialByModemWithoutAModemIsRefused) {
    FrameFixture f;
    f.frame().newDocument(160, 16, 0);
    install(f, "IP Virtual Modem", "3");
    QString seen;
    test::pressInNextBox("OK", &seen);
    ASSERT_TRUE(f.frame().runCommand(cmd::kDialModem));
    EXPECT_EQ(seen, "Sorry, your computer hasn't install MODEM");
    EXPECT_EQ(ui::dialWindow(f.frame()), nullptr);
}

TEST(ModemWindow, CheckDialAndHangUp) {
    test::Modemsim modem(
        {"--pin", "2468", "--csq", "17,0", "--guard-ms", "50", "--connect-ms", "50"});
    ASSERT_TRUE(modem.started());
    FrameFixture f;
    f.frame().newDocument(160, 16, 0);
    f.context().settings->comDevices[12] = modem.ptyPath();
    f.frame().signLink().setComPorts(comPortsFrom(*f.context().settings));
    install(f, "GSM", "12");

    // The PIN is asked for while the window checks the modem.
    test::answerNextDialog([](QWidget* w) {
        auto* d = qobject_cast<ui::CPinCodeDlg*>(w);
        ASSERT_NE(d, nullptr);
        d->code()->setText("2468");
        d->accept();
    });
    ASSERT_TRUE(f.frame().runCommand(cmd::kDialModem));
    ui::CDialModemDlg* w = ui::dialWindow(f.frame());
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    const std::string gsm = w->gsmLabel()->text().toStdString();
    EXPECT_EQ(gsm.rfind("Pin Code needed: Yes\nModem registered to network: Yes\n", 0), 0u) << gsm;
    EXPECT_NE(gsm.find("Good(17)\n"), std::string::npos) << gsm;
    EXPECT_EQ(w->modemLabel()->text(), "Modem is alive");
    EXPECT_EQ(w->statusLabel()->text(), "Connect Status:\nCheck modem status over");
    EXPECT_TRUE(w->dialButton()->isEnabled());
    EXPECT_TRUE(w->dialButton()->isDefault());

    w->dialer().setTimings(test::quickTimings());
    w->phones()->setEditText("5551234");
    w->dialButton()->click();
    EXPECT_EQ(f.frame().signLink().linkState(), LinkState::Modem);
    EXPECT_EQ(f.context().settings->lastPhoneNo, "5551234");
    EXPECT_EQ(f.context().store->LoadSettings().phones, (std::vector<std::string>{"5551234"}));
    EXPECT_TRUE(w->statusLabel()->text().startsWith("Connect Status:\nConnect successfully!"));
    // `make screenshot` keeps a picture of the window connected.
    if (const char* shot = std::getenv("LUMAVOX_DIAL_MODEM_PNG")) {
        QApplication::processEvents();
        w->grab().save(shot);
    }

    w->hangUpCheck()->setChecked(true);
    EXPECT_TRUE(f.context().store->LoadSettings().hangUpModemWhenSendOver);

    ASSERT_TRUE(f.frame().runCommand(cmd::kHangUpModem));
    EXPECT_EQ(f.frame().signLink().linkState(), LinkState::None);
    EXPECT_FALSE(f.frame().signLink().isOpen());
    EXPECT_EQ(w->statusLabel()->text(), "Connect Status:\nDisconnected!");

    // "Close" hides the window; the next command shows the same one again.
    w->closeButton()->click();
    EXPECT_FALSE(w->isVisible());
    ASSERT_TRUE(f.frame().runCommand(cmd::kDialModem));
    EXPECT_EQ(ui::dialWindow(f.frame()), w);
    EXPECT_TRUE(w->isVisible());
    w->closeButton()->click();
}

TEST(ModemWindow, PinDialogRefusesAnEmptyCode) {
    FrameFixture f;
    ui::CPinCodeDlg d(&f.frame());
    QString seen;
    test::pressInNextBox("OK", &seen);
    d.show();
    d.accept();
    EXPECT_EQ(seen, "Sorry, Pin Code can not be left blank!");
    EXPECT_TRUE(d.isVisible());
    d.code()->setText("1234");
    d.accept();
    EXPECT_EQ(d.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace lumavox
