#include "ui/SkinSource.h"

#include "platform/Process.h"
#include "platform/Utf.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <mutex>

namespace DuiLib
{
namespace
{
struct State
{
    std::mutex lock;
    HINSTANCE instance = nullptr;
    CDuiString resourcePath;
    CDuiString zipName;
    std::shared_ptr<CSkinZip> zip;
};

State& Shared()
{
    static State state;
    return state;
}

// Skin names use "\" or "/"; a relative name never climbs out of the skin folder.
bool SafeRelativeName(std::wstring& name)
{
    std::replace(name.begin(), name.end(), L'\\', L'/');
    if (name.empty())
        return false;
    return !CSkinZip::ClimbsOut(name);
}
} // namespace

void CSkinSource::SetInstance(HINSTANCE hInst)
{
    std::lock_guard<std::mutex> guard(Shared().lock);
    Shared().instance = hInst;
}

HINSTANCE CSkinSource::GetInstance()
{
    std::lock_guard<std::mutex> guard(Shared().lock);
    return Shared().instance;
}

CDuiString CSkinSource::GetInstancePath()
{
    wchar_t path[MAX_PATH * 4] = {};
    GetModuleFileNameW(GetInstance(), path, static_cast<DWORD>(std::size(path)));
    CDuiString result(path);
    const int slash = result.ReverseFind(L'/');
    return slash < 0 ? CDuiString() : result.Left(slash + 1);
}

void CSkinSource::SetResourcePath(LPCTSTR path)
{
    std::wstring value(path ? path : L"");
    std::replace(value.begin(), value.end(), L'\\', L'/');
    if (!value.empty() && value.back() != L'/')
        value += L'/';
    std::lock_guard<std::mutex> guard(Shared().lock);
    Shared().resourcePath = value;
}

CDuiString CSkinSource::GetResourcePath()
{
    std::lock_guard<std::mutex> guard(Shared().lock);
    return Shared().resourcePath;
}

void CSkinSource::SetZip(std::shared_ptr<CSkinZip> zip, LPCTSTR name)
{
    std::lock_guard<std::mutex> guard(Shared().lock);
    Shared().zip = std::move(zip);
    Shared().zipName = name;
}

bool CSkinSource::SetZipFile(LPCTSTR name)
{
    if (name == nullptr || *name == 0)
    {
        SetZip(nullptr, L"");
        return true;
    }
    std::wstring path(name);
    std::replace(path.begin(), path.end(), L'\\', L'/');
    if (path.front() != L'/')
        path = GetResourcePath().Str() + path;
    auto zip = std::make_shared<CSkinZip>();
    if (!zip->OpenFile(path))
    {
        SetZip(nullptr, L"");
        return false;
    }
    SetZip(std::move(zip), name);
    return true;
}

bool CSkinSource::SetZipMemory(const void* data, std::size_t size)
{
    auto zip = std::make_shared<CSkinZip>();
    if (!zip->Open(data, size))
    {
        SetZip(nullptr, L"");
        return false;
    }
    SetZip(std::move(zip), L"membuffer");
    return true;
}

CDuiString CSkinSource::GetZipName()
{
    std::lock_guard<std::mutex> guard(Shared().lock);
    return Shared().zipName;
}

bool CSkinSource::IsZipSet()
{
    std::lock_guard<std::mutex> guard(Shared().lock);
    return Shared().zip != nullptr;
}

bool CSkinSource::Load(LPCTSTR name, std::vector<BYTE>& data)
{
    data.clear();
    if (name == nullptr || *name == 0)
        return false;
    // An absolute path names a file of the disk (a picture the program saved), zip or not.
    if (name[0] == L'/')
        return LoadFromFolder(name, data);
    std::shared_ptr<CSkinZip> zip;
    {
        std::lock_guard<std::mutex> guard(Shared().lock);
        zip = Shared().zip;
    }
    return zip ? zip->Read(name, data) : LoadFromFolder(name, data);
}

bool CSkinSource::LoadFromFolder(LPCTSTR name, std::vector<BYTE>& data)
{
    std::wstring relative(name);
    if (!SafeRelativeName(relative))
        return false;
    const std::wstring path = relative.front() == L'/' ? relative : GetResourcePath().Str() + relative;
    std::ifstream in(platform::ToUtf8(path), std::ios::binary);
    if (!in)
        return false;
    data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}
} // namespace DuiLib
