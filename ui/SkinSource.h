#pragma once
// Where the process reads its skins: a folder (the resource path) or a zip archive, from a
// file or embedded in the program. Shared by every window of the process.

#include "ui/DuiString.h"
#include "ui/SkinZip.h"

#include <memory>
#include <vector>

namespace DuiLib
{
class CSkinSource
{
public:
    static void SetInstance(HINSTANCE hInst);
    static HINSTANCE GetInstance();
    static CDuiString GetInstancePath();
    static void SetResourcePath(LPCTSTR path);
    static CDuiString GetResourcePath();
    static bool SetZipFile(LPCTSTR name);
    static bool SetZipMemory(const void* data, std::size_t size);
    static CDuiString GetZipName();
    static bool IsZipSet();
    static bool Load(LPCTSTR name, std::vector<BYTE>& data);

private:
    static bool LoadFromFolder(LPCTSTR name, std::vector<BYTE>& data);
    static void SetZip(std::shared_ptr<CSkinZip> zip, LPCTSTR name);
};
} // namespace DuiLib
