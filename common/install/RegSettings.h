#pragma once
// One open registry key with string values, closed when the object ends; and the product
// display name read from the product key.

#include "platform/Win32.h"

#include <string>

// The product key under HKEY_LOCAL_MACHINE that the four programs share.
inline constexpr const wchar_t* kProductRegKey = L"SOFTWARE\\Pictavo";
inline constexpr const wchar_t* kDefaultAppName = L"Pictavo";
// Registry value of the product key: "1" when the setup created the install folder.
inline constexpr const wchar_t* kCreatedFolderValue = L"installDirCreated";
// The uninstall entry's key under HKEY_LOCAL_MACHINE, and its parent with the product's name.
inline constexpr const wchar_t* kUninstallRegKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pictavo";
inline constexpr const wchar_t* kUninstallParentKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline constexpr const wchar_t* kSoftwareKey = L"SOFTWARE";
inline constexpr const wchar_t* kProductKeyName = L"Pictavo";

class CRegSettings
{
public:
    // Opens root\subKey with full access, or creates it when asked and the open fails.
    // A key that can be neither opened nor created leaves the object empty.
    CRegSettings(HKEY root, LPCWSTR subKey, bool use64BitView, bool create);
    CRegSettings(const CRegSettings&) = delete;
    CRegSettings& operator=(const CRegSettings&) = delete;
    virtual ~CRegSettings();

    // Stores text as REG_SZ with its terminator, (length + 1) * 2 bytes.
    bool SetValue(LPCWSTR name, LPCWSTR text);
    // Reads a REG_SZ value into buffer (sizeInBytes counts two per character); the buffer
    // stays as it was when the value is missing or does not fit.
    bool GetValue(LPCWSTR name, void* buffer, DWORD sizeInBytes);
    // Deletes parent\subKey with all its subkeys; 0 when deleted, else the registry error.
    LONG RecurseDeleteKey(HKEY parent, LPCWSTR subKey);

    // The open key, or NULL.
    HKEY GetKey() const { return m_hKey; }
    bool IsOpen() const { return m_hKey != nullptr; }

private:
    REGSAM Access() const;

    HKEY m_hKey = nullptr;
    bool m_bUse64BitView = false;
};

// The product's display name: the product key's "appname", else "Pictavo". Read afresh each call.
std::wstring GetAppName();

// Reads one text value of the product key (opened with create, as every reader does) with a
// read size in bytes; empty when missing or not readable.
std::wstring ReadProductRegValue(LPCWSTR name, DWORD readSizeInBytes);
