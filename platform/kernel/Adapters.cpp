#include "platform/Network.h"

#include "platform/ProductName.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace platform
{
namespace
{
constexpr int kEthernetType = 1; // ARPHRD_ETHER

std::string SysfsRoot()
{
    const std::string root = ProductSetting("SYSFS_ROOT");
    return root.empty() ? "/sys" : root;
}

std::string FirstLine(const fs::path& file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    return line;
}

// "aa:bb:cc:dd:ee:ff" into six bytes; false for anything else.
bool ParseAddress(const std::string& text, std::array<unsigned char, 6>& address)
{
    if (text.size() != 17)
        return false;
    for (std::size_t i = 0; i < 6; ++i)
    {
        if (i > 0 && text[i * 3 - 1] != ':')
            return false;
        const std::string pair = text.substr(i * 3, 2);
        if (!std::all_of(pair.begin(), pair.end(),
                         [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
            return false;
        address[i] = static_cast<unsigned char>(std::strtoul(pair.c_str(), nullptr, 16));
    }
    return std::any_of(address.begin(), address.end(), [](unsigned char b) { return b != 0; });
}

bool ReadAdapter(const fs::path& folder, EthernetAdapter& adapter)
{
    std::error_code error;
    if (!fs::exists(folder / "device", error))
        return false;
    if (std::atoi(FirstLine(folder / "type").c_str()) != kEthernetType)
        return false;
    adapter.name = folder.filename().string();
    return ParseAddress(FirstLine(folder / "address"), adapter.address);
}
} // namespace

std::vector<EthernetAdapter> ListEthernetAdapters()
{
    std::vector<EthernetAdapter> adapters;
    std::error_code error;
    for (fs::directory_iterator it(fs::path(SysfsRoot()) / "class/net", error), end; !error && it != end;
         it.increment(error))
    {
        EthernetAdapter adapter;
        if (ReadAdapter(it->path(), adapter))
            adapters.push_back(adapter);
    }
    std::sort(adapters.begin(), adapters.end(),
              [](const EthernetAdapter& a, const EthernetAdapter& b) { return a.name < b.name; });
    return adapters;
}
} // namespace platform
