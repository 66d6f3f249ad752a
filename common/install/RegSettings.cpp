#include "common/install/RegSettings.h"

#include <vector>

CRegSettings::CRegSettings(HKEY root, LPCWSTR subKey, bool use64BitView, bool create)
    : m_bUse64BitView(use64BitView)
{
    if (RegOpenKeyExW(root, subKey, 0, Access(), &m_hKey) == ERROR_SUCCESS)
        return;
    m_hKey = nullptr;
    if (!create)
        return;
    if (RegCreateKeyExW(root, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE, Access(), nullptr, &m_hKey,
                        nullptr) != ERROR_SUCCESS)
        m_hKey = nullptr;
}

CRegSettings::~CRegSettings()
{
    if (m_hKey != nullptr)
        RegCloseKey(m_hKey);
    m_hKey = nullptr;
}

REGSAM CRegSettings::Access() const
{
    return m_bUse64BitView ? (KEY_ALL_ACCESS | KEY_WOW64_64KEY) : KEY_ALL_ACCESS;
}

bool CRegSettings::SetValue(LPCWSTR name, LPCWSTR text)
{
    if (m_hKey == nullptr || text == nullptr)
        return false;
    const DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * 2);
    return RegSetValueExW(m_hKey, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes) ==
           ERROR_SUCCESS;
}

bool CRegSettings::GetValue(LPCWSTR name, void* buffer, DWORD sizeInBytes)
{
    if (m_hKey == nullptr)
        return false;
    DWORD type = REG_NONE;
    DWORD size = sizeInBytes;
    const LONG result = RegQueryValueExW(m_hKey, name, nullptr, &type, static_cast<LPBYTE>(buffer), &size);
    return result == ERROR_SUCCESS && type == REG_SZ;
}

LONG CRegSettings::RecurseDeleteKey(HKEY parent, LPCWSTR subKey)
{
    if (parent == nullptr)
        return static_cast<LONG>(ERROR_INVALID_HANDLE);
    HKEY key = nullptr;
    LONG result = RegOpenKeyExW(parent, subKey, 0, Access(), &key);
    if (result != ERROR_SUCCESS)
        return result;
    wchar_t child[REG_MAX_KEY_NAME + 1] = {};
    while (RegEnumKeyW(key, 0, child, REG_MAX_KEY_NAME + 1) == ERROR_SUCCESS)
    {
        result = RecurseDeleteKey(key, child);
        if (result != ERROR_SUCCESS)
        {
            RegCloseKey(key);
            return result;
        }
    }
    RegCloseKey(key);
    return RegDeleteKeyW(parent, subKey);
}

std::wstring ReadProductRegValue(LPCWSTR name, DWORD readSizeInBytes)
{
    // Zero-filled, and one character longer than the read, so the text always ends.
    std::vector<wchar_t> buffer(readSizeInBytes / 2 + 1, L'\0');
    CRegSettings reg(HKEY_LOCAL_MACHINE, kProductRegKey, false, true);
    if (reg.IsOpen())
        reg.GetValue(name, buffer.data(), readSizeInBytes);
    return buffer.data();
}

std::wstring GetAppName()
{
    const std::wstring name = ReadProductRegValue(L"appname", 128);
    return name.empty() ? kDefaultAppName : name;
}
