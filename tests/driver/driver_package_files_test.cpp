// The content of the files we author for the driver package: the udev rule
// must match what udev sees, the setup information file must not offer one
// hardware id twice.
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "driver/usb_driver_package.h"
#include "payloads/payloads.h"

namespace nimbo {
namespace {

std::string Bytes(int resourceId) {
    auto b = payloads::FindPayloadBytes(resourceId);
    return {reinterpret_cast<const char*>(b.data()), b.size()};
}

TEST(UdevRuleFileTest, EveryRuleIsWellFormedAndCoversTheCommonMakers) {
    const std::string rules = Bytes(kUdevRulesResourceId);
    ASSERT_FALSE(rules.empty());
    ASSERT_EQ(rules.back(), '\n');
    // sysfs shows vendor ids in lower-case hex, and udev compares exactly.
    const std::regex vendorRule(R"re(ATTR\{idVendor\}=="([0-9a-f]{4})", TAG\+="uaccess")re");
    const std::regex gotoRule(R"re((.*), GOTO="([a-z_]+)")re");
    const std::regex label(R"re(LABEL="([a-z_]+)")re");
    std::set<std::string> vendors, gotos, labels;
    std::istringstream in(rules);
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        EXPECT_EQ(line.find('\r'), std::string::npos) << lineNo;
        std::smatch m;
        if (line.empty() || line[0] == '#') continue;
        if (std::regex_match(line, m, vendorRule)) {
            EXPECT_TRUE(vendors.insert(m[1]).second) << "twice: " << m[1];
        } else if (std::regex_match(line, m, gotoRule)) {
            gotos.insert(m[2]);
        } else if (std::regex_match(line, m, label)) {
            labels.insert(m[1]);
        } else {
            ADD_FAILURE() << "line " << lineNo << " is no rule we write: " << line;
        }
    }
    EXPECT_EQ(gotos, labels);
    // Google, Samsung, Huawei, Xiaomi, OPPO, Motorola, MediaTek, Qualcomm.
    for (const char* v : {"18d1", "04e8", "12d1", "2717", "22d9", "22b8", "0e8d", "05c6"}) {
        EXPECT_TRUE(vendors.count(v)) << v;
    }
    EXPECT_GE(vendors.size(), 30u);
    // The label must come last, or later vendors would be skipped by the GOTOs.
    EXPECT_EQ(rules.substr(rules.rfind("LABEL=")), "LABEL=\"android_end\"\n");
}

TEST(SetupInfoFileTest, HardwareIdsAreUniqueAndCoInstallersComeFromI386) {
    const std::string inf = Bytes(141);
    const std::regex hardwareId(R"re(USB\\VID_[0-9A-F]{4}&PID_[0-9A-F]{4}(&MI_[0-9A-F]{2})?)re");
    std::map<std::string, int> seen;
    for (auto it = std::sregex_iterator(inf.begin(), inf.end(), hardwareId);
         it != std::sregex_iterator(); ++it) {
        ++seen[it->str()];
    }
    EXPECT_GE(seen.size(), 3u);
    for (const auto& [id, count] : seen) EXPECT_EQ(count, 1) << id;
    EXPECT_NE(inf.find("CatalogFile.NTx86   = androidwinusb86.cat"), std::string::npos);
    EXPECT_NE(inf.find("1 = %DISK_NAME%,,,\\i386"), std::string::npos);
}

}  // namespace
}  // namespace nimbo
