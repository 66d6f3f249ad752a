// Libraries loaded by name over dlopen/dlsym. The name is used as given: a Windows library name
// simply is not found, and the callers that look a function up by name then skip their step.
#include "platform/Shell.h"
#include "platform/Utf.h"
#include "platform/WinError.h"

#include <dlfcn.h>

#include <string>

namespace
{
HMODULE Load(const std::string& name, int flags)
{
    if (name.empty())
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    void* handle = ::dlopen(name.c_str(), flags);
    if (handle == nullptr)
        SetLastError(ERROR_MOD_NOT_FOUND);
    return static_cast<HMODULE>(handle);
}

// Asking for a library already loaded must not keep it loaded.
HMODULE Loaded(const std::string& name)
{
    HMODULE module = Load(name, RTLD_LAZY | RTLD_NOLOAD);
    if (module != nullptr)
        ::dlclose(module);
    return module;
}
} // namespace

HMODULE LoadLibraryW(LPCWSTR fileName)
{
    return Load(fileName != nullptr ? platform::ToUtf8(fileName) : std::string(), RTLD_NOW | RTLD_LOCAL);
}

HMODULE LoadLibraryA(LPCSTR fileName)
{
    return Load(fileName != nullptr ? fileName : "", RTLD_NOW | RTLD_LOCAL);
}

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    if (moduleName == nullptr)
        return GetModuleHandleA(nullptr);
    return Loaded(platform::ToUtf8(moduleName));
}

HMODULE GetModuleHandleA(LPCSTR moduleName)
{
    if (moduleName == nullptr)
    {
        static void* const program = ::dlopen(nullptr, RTLD_LAZY);
        return static_cast<HMODULE>(program);
    }
    return Loaded(moduleName);
}

FARPROC GetProcAddress(HMODULE module, LPCSTR procName)
{
    if (module == nullptr || procName == nullptr)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    ::dlerror();
    void* symbol = ::dlsym(module, procName);
    if (symbol == nullptr)
    {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(symbol);
}

BOOL FreeLibrary(HMODULE module)
{
    if (module == nullptr || ::dlclose(module) != 0)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
