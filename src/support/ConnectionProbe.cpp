#include "support/ConnectionProbe.h"

#include <QCoreApplication>
#include <QNetworkInformation>
#include <cstdint>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace marrowlight {

namespace {

constexpr unsigned long RouteUp = 0x0001;
constexpr unsigned long RouteReject = 0x0200;

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool AllZeros(const std::string& hex) {
    return !hex.empty() && hex.find_first_not_of('0') == std::string::npos;
}

unsigned long HexValue(const std::string& hex) {
    try {
        return std::stoul(hex, nullptr, 16);
    } catch (const std::exception&) {
        return 0;
    }
}

// One route line as (interface, is a default route, flags), for either table:
// IPv4 lines start with the interface, IPv6 lines end with it.
bool ParseDefaultRoute(const std::vector<std::string>& f, std::string& iface,
                       unsigned long& flags) {
    if (f.size() >= 8 && f[1].size() == 8) { // Iface Destination Gateway Flags ... Mask
        iface = f[0];
        flags = HexValue(f[3]);
        return AllZeros(f[1]) && AllZeros(f[7]);
    }
    if (f.size() >= 10 && f[0].size() == 32) { // dest plen src plen hop metric ref use flags if
        iface = f[9];
        flags = HexValue(f[8]);
        return AllZeros(f[0]) && AllZeros(f[1]);
    }
    return false;
}

bool LinuxInterfaceIsUp(const std::string& iface) {
    if (iface.find('/') != std::string::npos || iface.find("..") != std::string::npos)
        return false;
    const std::string base = "/sys/class/net/" + iface + "/";
    constexpr unsigned long LoopbackFlag = 0x8;
    if (HexValue(ReadWholeFile(base + "flags").substr(0, 10)) & LoopbackFlag)
        return false;
    std::string state = ReadWholeFile(base + "operstate");
    while (!state.empty() && (state.back() == '\n' || state.back() == ' '))
        state.pop_back();
    return state == "up" || state == "unknown";
}

// 2 or 1 from the platform's network information, 0 when it cannot tell.
int StateFromNetworkInformation() {
    if (!QCoreApplication::instance())
        return 0;
    if (!QNetworkInformation::instance() && !QNetworkInformation::loadDefaultBackend() &&
        !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return 0;
    auto* info = QNetworkInformation::instance();
    if (!info || !info->supports(QNetworkInformation::Feature::Reachability))
        return 0;
    switch (info->reachability()) {
    case QNetworkInformation::Reachability::Online:
        return 2;
    case QNetworkInformation::Reachability::Unknown:
        return 0;
    default:
        return 1;
    }
}

} // namespace

bool HasDefaultRoute(std::string_view routeTable,
                     const std::function<bool(const std::string& iface)>& interfaceIsUp) {
    std::istringstream lines{std::string(routeTable)};
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string w; words >> w;)
            fields.push_back(w);
        std::string iface;
        unsigned long flags = 0;
        if (!ParseDefaultRoute(fields, iface, flags))
            continue;
        if ((flags & RouteUp) == 0 || (flags & RouteReject) != 0 || iface == "lo")
            continue;
        if (interfaceIsUp(iface))
            return true;
    }
    return false;
}

int ConnectionStateFromRoutes(std::string_view v4Table, std::string_view v6Table,
                              const std::function<bool(const std::string& iface)>& interfaceIsUp) {
    if (v4Table.empty() && v6Table.empty())
        return 0;
    return HasDefaultRoute(v4Table, interfaceIsUp) || HasDefaultRoute(v6Table, interfaceIsUp) ? 2
                                                                                              : 1;
}

int InternetConnectionState() {
    if (const int state = StateFromNetworkInformation(); state != 0)
        return state;
#ifdef __linux__
    return ConnectionStateFromRoutes(ReadWholeFile("/proc/net/route"),
                                     ReadWholeFile("/proc/net/ipv6_route"), LinuxInterfaceIsUp);
#else
    return 0;
#endif
}

int RunConnectionProbe(int argc, char** argv) {
    // The network information backends want an application object; a core
    // one shows nothing.
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, argv);
    return InternetConnectionState() == 2 ? 1 : 0;
}

} // namespace marrowlight
