// Resources embedded at build time: an icon and a skin zip packed from a folder, found by type
// and id as the programs find theirs.
#include "platform/Resources.h"
#include "platform/WinError.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using testsupport::ReadFile;

namespace
{
std::string Bytes(std::span<const unsigned char> data)
{
    return std::string(reinterpret_cast<const char*>(data.data()), data.size());
}

// The bytes as the Win32 calls give them.
std::string Win32Bytes(LPCWSTR type, WORD id)
{
    HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    HGLOBAL loaded = LoadResource(nullptr, resource);
    const void* data = LockResource(loaded);
    if (data == nullptr)
        return "<missing>";
    return std::string(static_cast<const char*>(data), SizeofResource(nullptr, resource));
}

} // namespace

TEST(ResourceTest, EmbeddedFilesAreFoundByTypeAndIdWithTheirBytes)
{
    const std::string icon = ReadFile(PICTAVO_RESOURCE_DATA "/icon.png");
    const std::string zip = ReadFile(PICTAVO_RESOURCE_ZIP);
    ASSERT_EQ(icon.substr(1, 3), "PNG");
    ASSERT_EQ(zip.substr(0, 4), std::string("PK\3\4"));

    EXPECT_EQ(Win32Bytes(L"ICON", 102), icon);
    EXPECT_EQ(Win32Bytes(L"ZIPRES", 103), zip);
    EXPECT_EQ(Bytes(platform::FindResourceData(L"ZIPRES", 103)), zip);
    // Type names are not case-sensitive; "#<n>" is the text form of a number.
    EXPECT_EQ(Bytes(platform::FindResourceData(L"icon", 102)), icon);
    EXPECT_EQ(FindResourceW(nullptr, L"#102", L"Icon"),
              FindResourceW(nullptr, MAKEINTRESOURCEW(102), L"ICON"));
    EXPECT_FALSE(
        FreeResource(LoadResource(nullptr, FindResourceW(nullptr, MAKEINTRESOURCEW(103), L"ZIPRES"))));
}

TEST(ResourceTest, MissingResourcesSayWhatIsMissing)
{
    SetLastError(0);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(104), L"ICON"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(103), L"PNG"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    // A numeric type is not the text type of the same spelling, and a text name is not an id.
    EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(102), MAKEINTRESOURCEW(3)), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_TYPE_NOT_FOUND);
    EXPECT_EQ(FindResourceW(nullptr, L"102", L"ICON"), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    EXPECT_EQ(FindResourceW(nullptr, nullptr, nullptr), nullptr);

    SetLastError(0);
    EXPECT_TRUE(platform::FindResourceData(L"ZIPRES", 105).empty());
    EXPECT_EQ(GetLastError(), ERROR_RESOURCE_NAME_NOT_FOUND);
    // The calls that follow a failed lookup do not crash either.
    EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
    EXPECT_EQ(LockResource(nullptr), nullptr);
    EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
}

TEST(ResourceTest, FirstRegistrationOfANameWins)
{
    static const unsigned char other[] = {1, 2, 3};
    EXPECT_FALSE(platform::RegisterResource("icon", "102", other, sizeof(other)));
    EXPECT_EQ(Win32Bytes(L"ICON", 102), ReadFile(PICTAVO_RESOURCE_DATA "/icon.png"));
    // Named resources and a fresh type.
    static const unsigned char named[] = {'x'};
    EXPECT_TRUE(platform::RegisterResource("Test.Type", "Skin Name", named, sizeof(named)));
    EXPECT_EQ(SizeofResource(nullptr, FindResourceW(nullptr, L"skin name", L"TEST.TYPE")), 1u);
    EXPECT_FALSE(platform::RegisterResource("T", "N", nullptr, 4));
}

TEST(ResourceTest, PackedSkinIsSortedStampedAndReproducible)
{
    const std::string zip = PICTAVO_RESOURCE_ZIP;
    EXPECT_EQ(testsupport::CommandOutput("unzip -Z1 '" + zip + "'"),
              "images/dot.png\nlicense.txt\nmain.xml\n");
    const std::string times =
        testsupport::CommandOutput("unzip -Z -T '" + zip + "' | grep -c ' 20000101.000000 '");
    EXPECT_EQ(times, "3\n");

    // Packing the same folder again, elsewhere and later, gives the same bytes.
    testsupport::TempDir dir("repack");
    const std::string again = dir / "again.zip";
    const std::string command = std::string(PICTAVO_CMAKE) + " -DPICTAVO_RESOURCE_MODE=zip -DFOLDER=" +
                                PICTAVO_RESOURCE_DATA "/skin -DOUTPUT=" + again +
                                " -DSTAGING=" + (dir / "staging") + " -P " + PICTAVO_RESOURCES_SCRIPT;
    ASSERT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadFile(again), ReadFile(zip));
}
