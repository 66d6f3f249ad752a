#pragma once
// The framework's wide string: a thin layer over std::wstring with the calls skins and windows
// use. Format follows the Windows conventions of the platform formatter ("%s" is wide).

#include "platform/WinTypes.h"

#include <string>

namespace DuiLib
{
class CDuiString
{
public:
    CDuiString() = default;
    CDuiString(LPCTSTR text, int length = -1);
    CDuiString(const std::wstring& text) : m_str(text) {}
    CDuiString(TCHAR ch) : m_str(1, ch) {}

    void Empty() { m_str.clear(); }
    int GetLength() const { return static_cast<int>(m_str.size()); }
    bool IsEmpty() const { return m_str.empty(); }
    TCHAR GetAt(int index) const;
    LPCTSTR GetData() const { return m_str.c_str(); }
    const std::wstring& Str() const { return m_str; }

    void Assign(LPCTSTR text, int length = -1);
    void Append(LPCTSTR text);
    void SetAt(int index, TCHAR ch);

    int Compare(LPCTSTR text) const;
    int CompareNoCase(LPCTSTR text) const;

    void MakeUpper();
    void MakeLower();

    CDuiString Left(int length) const;
    CDuiString Mid(int pos, int length = -1) const;
    CDuiString Right(int length) const;

    int Find(TCHAR ch, int pos = 0) const;
    int Find(LPCTSTR text, int pos = 0) const;
    int ReverseFind(TCHAR ch) const;
    int Replace(LPCTSTR from, LPCTSTR to);

    int __cdecl Format(LPCTSTR format, ...);

    operator LPCTSTR() const { return m_str.c_str(); }
    TCHAR operator[](int index) const { return GetAt(index); }

    CDuiString& operator=(LPCTSTR text);
    CDuiString& operator=(const std::wstring& text);
    CDuiString& operator=(TCHAR ch);
    CDuiString& operator+=(LPCTSTR text);
    CDuiString& operator+=(const CDuiString& text);
    CDuiString& operator+=(TCHAR ch);
    CDuiString operator+(LPCTSTR text) const;
    CDuiString operator+(const CDuiString& text) const;

    bool operator==(LPCTSTR text) const { return Compare(text) == 0; }
    bool operator!=(LPCTSTR text) const { return Compare(text) != 0; }
    bool operator<(LPCTSTR text) const { return Compare(text) < 0; }
    bool operator==(const CDuiString& text) const { return m_str == text.m_str; }
    bool operator!=(const CDuiString& text) const { return m_str != text.m_str; }
    bool operator<(const CDuiString& text) const { return m_str < text.m_str; }

private:
    std::wstring m_str;
};
} // namespace DuiLib
