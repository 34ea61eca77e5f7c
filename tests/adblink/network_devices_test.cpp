// Network devices: which addresses adb is given, and what the operation
// status says for adb 29's answers to connect and disconnect (it exits with
// 0 either way).
#include "adblink/network_devices.h"

#include <gtest/gtest.h>

namespace nimbo {
namespace {

TEST(NetworkDevicesTest, OnlyHostAndPortReachAdb) {
    EXPECT_EQ(NetworkAddress(" 192.168.1.5:5555\r\n"), "192.168.1.5:5555");
    EXPECT_EQ(NetworkAddress("phone.local:40001"), "phone.local:40001");
    for (const char* bad : {"", "192.168.1.5", "192.168.1.5:", "192.168.1.5:0", "x:65536",
                            "-s:5555", "a b:5555", ":5555", "host:55a5"}) {
        EXPECT_EQ(NetworkAddress(bad), "") << bad;
    }
    EXPECT_TRUE(IsNetworkSerial("127.0.0.1:5555"));
    EXPECT_FALSE(IsNetworkSerial("emulator-5554"));
    EXPECT_FALSE(IsNetworkSerial("0123456789ABCDEF"));
}

TEST(NetworkDevicesTest, AdbsAnswersBecomeTheStatusText) {
    EXPECT_EQ(ConnectOutcomeText("connected to 127.0.0.1:5555\n"),
              "无线设备已连接: 127.0.0.1:5555");
    EXPECT_EQ(ConnectOutcomeText("* daemon not running; starting now at tcp:5037\n"
                                 "* daemon started successfully\n"
                                 "already connected to 127.0.0.1:5555\n"),
              "无线设备已连接: 127.0.0.1:5555");
    EXPECT_EQ(ConnectOutcomeText("failed to connect to '127.0.0.1:1': Connection refused\n"),
              "无线设备连接失败: failed to connect to '127.0.0.1:1': Connection refused");
    EXPECT_EQ(ConnectOutcomeText("failed to authenticate to 10.0.0.2:5555"),
              "无线设备连接失败: failed to authenticate to 10.0.0.2:5555");
    EXPECT_EQ(ConnectOutcomeText(""), "无线设备连接失败: adb没有回答");
    EXPECT_EQ(DisconnectOutcomeText("disconnected 127.0.0.1:5555\n"),
              "无线设备已断开: 127.0.0.1:5555");
    EXPECT_EQ(DisconnectOutcomeText("error: no such device '127.0.0.1:5555'\n"),
              "断开失败: error: no such device '127.0.0.1:5555'");
}

}  // namespace
}  // namespace nimbo
