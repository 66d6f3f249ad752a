// The install manifest is read by the uninstaller from the install folder, where anyone who can
// write there may have changed it: whatever it holds, every path it gives back stays inside the
// install folder and is listed once, and what it writes reads back the same.
#include "common/install/InstallManifest.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 16)
        return 0;
    CInstallManifest manifest;
    manifest.Parse(std::string(reinterpret_cast<const char*>(data), size));
    for (const auto* list : {&manifest.Files(), &manifest.Folders()})
    {
        std::set<std::wstring> seen;
        for (const std::wstring& path : *list)
            if (!CInstallManifest::IsSafeRelativePath(path) || path.front() == L'/' || path == L".." ||
                !seen.insert(path).second)
                std::abort();
    }
    CInstallManifest again;
    if (!again.Parse(manifest.Serialize()) || again.Files() != manifest.Files() ||
        again.Folders() != manifest.Folders())
        std::abort();
    return 0;
}
