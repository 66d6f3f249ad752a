#include "main/WkeApi.h"

#include "common/base/Log.h"
#include "common/base/PathHelper.h"
#include "common/base/StringHelper.h"

#include "platform/Display.h"
#include "platform/MessageBox.h"
#include "platform/Shell.h"

#include <string>

namespace
{
WkeApi g_api;
bool g_loaded = false;

template <typename T> void Resolve(HMODULE library, const char* name, T& pointer, std::wstring& missing)
{
    pointer = reinterpret_cast<T>(::GetProcAddress(library, name));
    if (pointer != nullptr)
        return;
    LOG_ERROR(L"LoadWkeApi", L"wke api not found: %s", AnsiToWide(name).c_str());
    missing += (missing.empty() ? L"" : L"\n") + AnsiToWide(name);
}
} // namespace

int LoadWkeApiFrom(const std::wstring& libraryPath)
{
    if (g_loaded)
        return 1;
    // WebKit draws through the display; headless there is nothing to render with.
    if (!platform::HasDisplay())
        return 0;
    HMODULE library = ::LoadLibraryW(libraryPath.c_str());
    if (library == nullptr)
        return 0;
    WkeApi api;
    std::wstring missing;
#define WKE_API_RESOLVE(name) Resolve(library, #name, api.name, missing);
    WKE_API_FUNCTIONS(WKE_API_RESOLVE)
#undef WKE_API_RESOLVE
    if (!missing.empty())
    {
        // One box for all of them; the engine stays unused rather than be called half there.
        ::MessageBoxW(nullptr, (L"wke api not found:\n" + missing).c_str(), L"wke api not found", MB_OK);
        ::FreeLibrary(library);
        return 0;
    }
    // The library stays loaded for the process: its views and bindings live until shutdown.
    api.wkeInitializeEx(nullptr);
    g_api = api;
    g_loaded = true;
    return 1;
}

int LoadWkeApi()
{
    // By its full path: a bare name would be searched from the framework library, which has
    // no run path, and miss the program folder.
    return LoadWkeApiFrom(GetModuleDir() + L"/" + kWkeLibraryName);
}

const WkeApi* GetWkeApi()
{
    return g_loaded ? &g_api : nullptr;
}

void ShutdownWkeApi()
{
    if (!g_loaded)
        return;
    g_api.wkeShutdown();
    g_loaded = false;
}
