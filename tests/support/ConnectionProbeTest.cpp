#include "support/ConnectionProbe.h"

#include <gtest/gtest.h>

namespace marrowlight {
namespace {

const char* const Header =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

TEST(ConnectionProbe, FindsDefaultRoutesOnLiveInterfaces) {
    const auto upOnly = [](const std::string& iface) { return iface != "eth1"; };
    const struct {
        std::string table;
        bool online;
    } cases[] = {
        {std::string(Header) + "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n",
         true},
        // Only the local network: no default route.
        {std::string(Header) + "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n",
         false},
        // Default route on an interface that is down.
        {std::string(Header) + "eth1\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n",
         false},
        // A default route that is not up, or that sits on loopback.
        {std::string(Header) + "eth0\t00000000\t010200C0\t0002\t0\t0\t0\t00000000\t0\t0\t0\n"
                               "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n",
         false},
        {std::string(Header) + "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n",
         true},
        {Header, false},
        {"", false},
        {"garbage\nmore garbage with words\n", false},
        // IPv6: a gateway default on eth0 counts; the kernel's reject route on lo does not.
        {"00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
         "fd000000000000000000000000000001 00000400 00000002 00000000 00000003     eth0\n",
         true},
        {"00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
         "00000000000000000000000000000000 ffffffff 00000001 00000000 00200200       lo\n"
         "fd000000000000000000000000000000 40 00000000000000000000000000000000 00 "
         "00000000000000000000000000000000 00000100 00000001 00000000 00000001     eth0\n",
         false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasDefaultRoute(c.table, upOnly), c.online) << c.table;
}

TEST(ConnectionProbe, DecidesFromBothRouteTables) {
    const auto allUp = [](const std::string&) { return true; };
    const std::string v4Default =
        std::string(Header) + "eth0\t00000000\t010200C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
    const std::string v4Local =
        std::string(Header) + "eth0\t000200C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
    const std::string v6Default =
        "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
        "fd000000000000000000000000000001 00000400 00000002 00000000 00000003     eth0\n";
    const struct {
        std::string v4, v6;
        int state;
    } cases[] = {
        {v4Default, "", 2},
        {v4Local, v6Default, 2},
        {v4Local, "", 1},
        {Header, "", 1},
        // Neither table could be read: no way to tell.
        {"", "", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ConnectionStateFromRoutes(c.v4, c.v6, allUp), c.state) << c.v4 << c.v6;
}

} // namespace
} // namespace marrowlight
