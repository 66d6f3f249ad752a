#include "ProductFiles.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
bool IsWindowsName(const std::wstring& name)
{
    for (const wchar_t* suffix : {L".exe", L".dll", L".lnk", L".bat", L".ico"})
        if (name.ends_with(suffix))
            return true;
    return false;
}
} // namespace

// The lists that travel keep the design's order with the system libraries left out, and no
// Windows-only name slips into a Linux file name.
TEST(ProductFiles, TravellingListsHoldLinuxNamesInOrder)
{
    ASSERT_EQ(ProductFiles::kUpdaterCopyFiles.size(), 2u);
    EXPECT_STREQ(ProductFiles::kUpdaterCopyFiles[0], L"Update");
    EXPECT_STREQ(ProductFiles::kUpdaterCopyFiles[1], L"libDuiLib.so");
    ASSERT_EQ(ProductFiles::kSetupLibraryFiles.size(), 1u);
    EXPECT_STREQ(ProductFiles::kSetupLibraryFiles[0], L"libDuiLib.so");
    for (const wchar_t* name :
         {ProductFiles::kMainProgram, ProductFiles::kUpdateProgram, ProductFiles::kUninstProgram,
          ProductFiles::kSetupProgram, ProductFiles::kUiLibrary, ProductFiles::kWebViewLibrary,
          ProductFiles::kIconFile})
        EXPECT_FALSE(IsWindowsName(name)) << name;
    EXPECT_FALSE(IsWindowsName(ProductFiles::ShortcutFileName(L"Pictavo")));
    EXPECT_FALSE(IsWindowsName(ProductFiles::SelfDeleteScriptName()));
    EXPECT_FALSE(IsWindowsName(ProductFiles::SkinIconFileName(L"update_icon")));
}
