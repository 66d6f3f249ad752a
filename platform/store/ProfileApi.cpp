// The profile-file calls over ProfileDocument: each call reads the file afresh (nothing is
// cached) and each write is one locked read-change-replace of the whole file.
#include "platform/Profile.h"

#include "platform/store/LockedFile.h"
#include "platform/store/ProfileDocument.h"

#include "platform/Utf.h"

#include <algorithm>
#include <cwchar>
#include <unistd.h>

using platform::store::LockedFile;
using platform::store::ProfileDocument;

namespace
{
// False when the file exists but cannot be read; a missing file is an empty document.
bool LoadDocument(LPCWSTR fileName, ProfileDocument& document, bool& exists)
{
    std::string bytes;
    if (!LockedFile::ReadPath(platform::ToUtf8(fileName), bytes, exists))
        return false;
    document.Load(bytes);
    return true;
}

DWORD CopyText(std::wstring_view text, LPWSTR out, DWORD size)
{
    const size_t count = std::min<size_t>(text.size(), size - 1);
    std::copy_n(text.begin(), count, out);
    out[count] = L'\0';
    return static_cast<DWORD>(count);
}

// Names as a list of NUL-terminated strings ended by one more NUL, cut to the buffer.
DWORD CopyList(const std::vector<std::wstring>& names, LPWSTR out, DWORD size)
{
    std::wstring list;
    for (const std::wstring& name : names)
    {
        list += name;
        list += L'\0';
    }
    if (list.size() + 1 <= size)
    {
        std::copy(list.begin(), list.end(), out);
        out[list.size()] = L'\0';
        return static_cast<DWORD>(list.size());
    }
    if (size < 2)
    {
        out[0] = L'\0';
        return 0;
    }
    std::copy_n(list.begin(), size - 2, out);
    out[size - 2] = L'\0';
    out[size - 1] = L'\0';
    return size - 2;
}

std::wstring_view DefaultText(LPCWSTR value)
{
    std::wstring_view text = value != nullptr ? value : L"";
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t'))
        text.remove_suffix(1);
    return text;
}

bool HasLineBreak(std::wstring_view text)
{
    return text.find_first_of(L"\r\n") != std::wstring_view::npos;
}

// Names and values that would change the meaning of the file's lines.
bool IsWritable(LPCWSTR section, LPCWSTR key, LPCWSTR value)
{
    const std::wstring_view sectionText = section;
    if (HasLineBreak(sectionText) || sectionText.find(L']') != std::wstring_view::npos)
        return false;
    if (key != nullptr)
    {
        const std::wstring_view keyText = key;
        const size_t first = keyText.find_first_not_of(L" \t");
        if (HasLineBreak(keyText) || keyText.find(L'=') != std::wstring_view::npos ||
            (first != std::wstring_view::npos && (keyText[first] == L'[' || keyText[first] == L';')))
            return false;
    }
    return value == nullptr || !HasLineBreak(value);
}

bool ApplyWrite(ProfileDocument& document, LPCWSTR section, LPCWSTR key, LPCWSTR value)
{
    if (key == nullptr)
        return document.RemoveSection(section);
    if (value == nullptr)
        return document.RemoveKey(section, key);
    return document.Set(section, key, value);
}
} // namespace

DWORD GetPrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpDefault,
                               LPWSTR lpReturnedString, DWORD nSize, LPCWSTR lpFileName)
{
    if (lpReturnedString == nullptr || nSize == 0 || lpFileName == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    ProfileDocument document;
    bool exists = false;
    const bool readable = LoadDocument(lpFileName, document, exists);
    if (lpAppName == nullptr)
        return CopyList(document.SectionNames(), lpReturnedString, nSize);
    if (lpKeyName == nullptr)
        return CopyList(document.KeyNames(lpAppName), lpReturnedString, nSize);
    const auto value = document.Find(lpAppName, lpKeyName);
    if (!value && readable)
        SetLastError(ERROR_FILE_NOT_FOUND);
    return CopyText(value ? std::wstring_view(*value) : DefaultText(lpDefault), lpReturnedString, nSize);
}

UINT GetPrivateProfileIntW(LPCWSTR lpAppName, LPCWSTR lpKeyName, INT nDefault, LPCWSTR lpFileName)
{
    ProfileDocument document;
    bool exists = false;
    if (lpAppName == nullptr || lpKeyName == nullptr || lpFileName == nullptr ||
        !LoadDocument(lpFileName, document, exists))
        return static_cast<UINT>(nDefault);
    const auto value = document.Find(lpAppName, lpKeyName);
    if (!value || value->empty())
        return static_cast<UINT>(nDefault);
    size_t i = 0;
    const bool negative = (*value)[0] == L'-';
    if ((*value)[0] == L'-' || (*value)[0] == L'+')
        ++i;
    long long number = 0;
    for (; i < value->size() && (*value)[i] >= L'0' && (*value)[i] <= L'9'; ++i)
        number = std::min<long long>(number * 10 + ((*value)[i] - L'0'), 1LL << 32);
    return static_cast<UINT>(negative ? -number : number);
}

BOOL WritePrivateProfileStringW(LPCWSTR lpAppName, LPCWSTR lpKeyName, LPCWSTR lpString, LPCWSTR lpFileName)
{
    if (lpAppName == nullptr && lpKeyName == nullptr && lpString == nullptr)
        return TRUE; // the "flush the cache" call: there is no cache
    if (lpAppName == nullptr || lpFileName == nullptr || !IsWritable(lpAppName, lpKeyName, lpString))
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string path = platform::ToUtf8(lpFileName);
    const bool removing = lpKeyName == nullptr || lpString == nullptr;
    if (removing && ::access(path.c_str(), F_OK) != 0)
        return TRUE; // nothing to remove, and no file to create for it
    LockedFile file(path);
    std::string bytes;
    if (!file.IsLocked() || !file.Read(bytes))
        return FALSE;
    ProfileDocument document;
    document.Load(bytes);
    if (!ApplyWrite(document, lpAppName, lpKeyName, lpString))
        return TRUE;
    return file.Replace(document.Save()) ? TRUE : FALSE;
}
