// MD5 against the RFC 1321 test suite, the machine id from a sysfs tree made at test time (an
// adapter found, and none found), GUID texts, and what the system reports of itself here.
#include "common/install/SystemHelpers.h"
#include "setup/MD5.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <regex>

using testsupport::TempDir;
namespace fs = std::filesystem;

TEST(MD5, Rfc1321TestSuite)
{
    const std::pair<std::string, std::string> suite[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
         "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, digest] : suite)
    {
        MD5 md5(text);
        EXPECT_EQ(md5.HexDigest(true), digest) << '"' << text << '"';
    }
    // Fed in pieces that straddle the 64-byte blocks, the digest is the same; upper case on demand.
    const std::string long_text(1000, 'x');
    MD5 pieces;
    for (std::size_t at = 0; at < long_text.size(); at += 37)
        pieces.Update(reinterpret_cast<const unsigned char*>(long_text.data()) + at,
                      static_cast<unsigned>(std::min<std::size_t>(37, long_text.size() - at)));
    MD5 whole(long_text);
    EXPECT_EQ(pieces.HexDigest(false), whole.HexDigest(false));
    EXPECT_EQ(MD5("abc").HexDigest(false), "900150983CD24FB0D6963F7D28E17F72");
}

namespace
{
// class/net/<name> with the files the adapter list reads; device makes it physical.
void AddAdapter(const TempDir& root, const std::string& name, int type, const std::string& address,
                bool device)
{
    const fs::path folder = fs::path(root.path()) / "class/net" / name;
    fs::create_directories(folder);
    testsupport::WriteFile((folder / "type").string(), std::to_string(type) + "\n");
    testsupport::WriteFile((folder / "address").string(), address + "\n");
    if (device)
        fs::create_directories(folder / "device");
}

class SysfsRoot
{
public:
    explicit SysfsRoot(const TempDir& root) { ::setenv("PICTAVO_SYSFS_ROOT", root.path().c_str(), 1); }
    ~SysfsRoot() { ::unsetenv("PICTAVO_SYSFS_ROOT"); }
};
} // namespace

// The first physical Ethernet adapter by sorted name; loopback, virtual, zero-address and
// other-type interfaces are passed over. Without one the id comes from a GUID text.
TEST(MachineId, FromTheFirstPhysicalEthernetAdapterElseAGuid)
{
    TempDir root("sysfs");
    SysfsRoot pointed(root);
    std::string mac;
    EXPECT_FALSE(GetMacAddress(&mac)) << "no class/net folder at all";
    EXPECT_EQ(mac, "unknowuser00");

    AddAdapter(root, "lo", 772, "00:00:00:00:00:00", false);
    AddAdapter(root, "docker0", 1, "02:42:ac:11:00:01", false);
    AddAdapter(root, "eth9", 1, "00:00:00:00:00:00", true);
    AddAdapter(root, "ib0", 32, "80:00:00:48:fe:80", true);
    EXPECT_FALSE(GetMacAddress(&mac));

    AddAdapter(root, "enp3s0", 1, "52:54:00:AB:cd:02", true);
    AddAdapter(root, "enp1s0", 1, "52:54:00:12:34:01", true);
    ASSERT_TRUE(GetMacAddress(&mac));
    EXPECT_EQ(mac, "52-54-00-12-34-01");
    EXPECT_FALSE(GetMacByNetbios(&mac));

    const std::wstring guid = NewGuidString();
    EXPECT_TRUE(std::regex_match(testsupport::Narrow(guid), std::regex("\\{[0-9A-F]{32}\\}")))
        << testsupport::Narrow(guid);
    EXPECT_NE(NewGuidString(), guid);
    const std::wstring random = RandomGuidText();
    EXPECT_TRUE(std::regex_match(testsupport::Narrow(random), std::regex("\\{[0-9A-F]{32}\\}")));
    EXPECT_NE(RandomGuidText(), random);
}

TEST(SystemHelpers, WhatThisSystemReports)
{
    unsigned code = 99;
    EXPECT_EQ(QueryOSVersionCode(&code), 1);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(GetOSName(), "未知系统");
    EXPECT_EQ(GetOSNameW(), L"未知系统");
    EXPECT_FALSE(IsWow64());
    EXPECT_TRUE(EndsWith(L"/home/a/Pictavo", L"Pictavo"));
    EXPECT_FALSE(EndsWith(L"/home/a/pictavo", L"Pictavo"));
    EXPECT_FALSE(EndsWith(L"avo", L"Pictavo"));
}
