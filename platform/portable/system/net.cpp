// Whether the computer is online, on Linux: the kernel has a default route,
// IPv4 or IPv6, through an interface other than loopback.
#include <fstream>
#include <sstream>
#include <string>

#include "platform/winapi.h"

namespace win {

namespace {

constexpr DWORD kConnectionLan = 0x02;
constexpr DWORD kConnectionConfigured = 0x40;

// /proc/net/route: Iface Destination Gateway Flags ... Mask ..., hex; the
// default route has destination 0 and mask 0, and is up (flag 1); an
// "unreachable" or "prohibit" default (flag 0x200) leads nowhere.
bool DefaultRouteV4() {
  std::ifstream f("/proc/net/route");
  std::string line;
  std::getline(f, line);  // header
  while (std::getline(f, line)) {
    std::istringstream in(line);
    std::string iface, dest, gw, flags, refcnt, use, metric, mask;
    if (!(in >> iface >> dest >> gw >> flags >> refcnt >> use >> metric >> mask)) continue;
    if (iface == "lo") continue;
    const unsigned long fl = std::stoul(flags, nullptr, 16);
    if (dest == "00000000" && mask == "00000000" && (fl & 1u) && !(fl & 0x200u)) return true;
  }
  return false;
}

// /proc/net/ipv6_route: dest destlen src srclen nexthop metric refcnt use
// flags iface; the default route is ::/0, up (flag 1), not a reject route
// (flag 0x200).
bool DefaultRouteV6() {
  std::ifstream f("/proc/net/ipv6_route");
  std::string line;
  while (std::getline(f, line)) {
    std::istringstream in(line);
    std::string dest, destLen, src, srcLen, nextHop, metric, refcnt, use, flags, iface;
    if (!(in >> dest >> destLen >> src >> srcLen >> nextHop >> metric >> refcnt >> use >> flags >>
          iface))
      continue;
    if (iface == "lo") continue;
    if (dest != std::string(32, '0') || destLen != "00") continue;
    const unsigned long fl = std::stoul(flags, nullptr, 16);
    if ((fl & 1u) && !(fl & 0x200u)) return true;
  }
  return false;
}

}  // namespace

BOOL InternetGetConnectedState(DWORD* flags, DWORD) {
  bool online = false;
  try {
    online = DefaultRouteV4() || DefaultRouteV6();
  } catch (...) {
    online = false;  // a line we cannot read counts as no route
  }
  if (flags) *flags = online ? (kConnectionLan | kConnectionConfigured) : 0;
  return online ? TRUE : FALSE;
}

}  // namespace win
