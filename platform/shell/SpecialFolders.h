#pragma once
// The Linux folder behind each special folder id the programs ask for.

#include <string>

namespace platform
{
class SpecialFolders
{
public:
    // The folder of csidl (CSIDL_FLAG_CREATE and other flag bits ignored), empty for an id
    // that has no meaning here.
    static std::wstring PathOf(int csidl);
    // The folder made with its parents when missing; false when that failed.
    static bool Ensure(const std::wstring& folder);

private:
    static bool IsRoot();
};
} // namespace platform
