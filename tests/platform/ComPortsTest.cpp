#include "platform/ComPorts.h"

#include <gtest/gtest.h>

#include "platform/Profile.h"

using namespace lumavox;

TEST(ComPorts, WithoutAnEntryComNIsTtySNMinusOne) {
    Profile empty;
    EXPECT_EQ(comDevicePath(1, empty), "/dev/ttyS0");
    EXPECT_EQ(comDevicePath(4, empty), "/dev/ttyS3");
    EXPECT_EQ(comDevicePath(200, empty), "/dev/ttyS199");
    Profile other = Profile::parse("[SendInfo]\nCOM1=/dev/ttyUSB9\n");  // not the section
    EXPECT_EQ(comDevicePath(1, other), "/dev/ttyS0");
    EXPECT_EQ(defaultComDevicePath(12), "/dev/ttyS11");
}

TEST(ComPorts, TheComportsSectionOverridesTheDefault) {
    Profile store = Profile::parse(
        "[Comports]\n"
        "COM3=/dev/ttyUSB0\n"
        "com5 = /dev/pts/7\n"
        "COM03=/dev/ttyACM0\n"  // a second key for COM 3: the first one counts
        "COM6=\n"               // empty: the default
        "COMX=/dev/x\n"
        "COM0=/dev/zero\n"
        "PORT7=/dev/y\n");
    EXPECT_EQ(comDevicePath(3, store), "/dev/ttyUSB0");
    EXPECT_EQ(comDevicePath(5, store), "/dev/pts/7");
    EXPECT_EQ(comDevicePath(4, store), "/dev/ttyS3");
    EXPECT_EQ(comDevicePath(6, store), "/dev/ttyS5");
    EXPECT_EQ(comDevicePath(7, store), "/dev/ttyS6");
    std::map<int, std::string> devices = readComDevices(store);
    EXPECT_EQ(devices, (std::map<int, std::string>{{3, "/dev/ttyUSB0"}, {5, "/dev/pts/7"}}));
    EXPECT_EQ(comDevicePath(5, devices), "/dev/pts/7");
    EXPECT_EQ(comDevicePath(2, devices), "/dev/ttyS1");
}

TEST(ComPorts, OnlyComFollowedByAPositiveNumberNamesAPort) {
    EXPECT_EQ(comNumberOfKey("COM1"), 1);
    EXPECT_EQ(comNumberOfKey("com12"), 12);
    EXPECT_EQ(comNumberOfKey("Com007"), 7);
    EXPECT_EQ(comNumberOfKey("COM"), 0);
    EXPECT_EQ(comNumberOfKey("COM0"), 0);
    EXPECT_EQ(comNumberOfKey("COM-1"), 0);
    EXPECT_EQ(comNumberOfKey("COM1x"), 0);
    EXPECT_EQ(comNumberOfKey("CAM1"), 0);
    EXPECT_EQ(comNumberOfKey("COM99999999999"), 0);  // out of range, not wrapped
}
