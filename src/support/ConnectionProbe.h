#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace marrowlight {

// 2 when the machine is online, 1 when it is not, 0 when there is no way to ask.
int InternetConnectionState();

// Whether a kernel routing table (the text of /proc/net/route or
// /proc/net/ipv6_route) holds a usable default route on an interface that
// `interfaceIsUp` accepts; loopback and reject routes never count.
bool HasDefaultRoute(std::string_view routeTable,
                     const std::function<bool(const std::string& iface)>& interfaceIsUp);

// The state from the IPv4 and IPv6 routing tables: 2 when either holds a
// usable default route, 1 when not, 0 when both are empty (not readable).
int ConnectionStateFromRoutes(std::string_view v4Table, std::string_view v6Table,
                              const std::function<bool(const std::string& iface)>& interfaceIsUp);

// The start-up probe's exit code: 1 online, 0 otherwise. It shows no window
// and does not touch the settings; argc and argv serve the application
// object the network backends need.
int RunConnectionProbe(int argc, char** argv);

} // namespace marrowlight
