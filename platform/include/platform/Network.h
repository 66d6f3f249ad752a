#pragma once
// The machine's network adapters as the kernel lists them in sysfs (class/net).

#include <array>
#include <string>
#include <vector>

namespace platform
{
struct EthernetAdapter
{
    std::string name;
    std::array<unsigned char, 6> address{};
};

// The physical Ethernet adapters (a device behind them, type 1, six-byte address that is not
// all zero), sorted by interface name, so the first one is the same on every call. Virtual
// interfaces (loopback, bridges, tunnels, containers) have no device and are left out. The
// sysfs root is the product setting SYSFS_ROOT (ProductSetting, platform/ProductName.h) when
// set, else /sys.
std::vector<EthernetAdapter> ListEthernetAdapters();
} // namespace platform
