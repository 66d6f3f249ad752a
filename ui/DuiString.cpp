#include "ui/DuiString.h"

#include "platform/Text.h"

#include <algorithm>
#include <cstdarg>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace DuiLib
{
namespace
{
// Formats into a growing buffer; the platform formatter reports -1 when the output was cut.
std::wstring FormatV(LPCTSTR format, va_list args)
{
    std::vector<wchar_t> buffer(256);
    constexpr std::size_t kLimit = 1u << 22;
    for (;;)
    {
        va_list copy;
        va_copy(copy, args);
        const int written = _vsnwprintf(buffer.data(), buffer.size(), format, copy);
        va_end(copy);
        if (written >= 0)
            return std::wstring(buffer.data(), static_cast<std::size_t>(written));
        if (buffer.size() >= kLimit)
            return std::wstring(buffer.data());
        buffer.resize(buffer.size() * 4);
    }
}

std::wstring Folded(LPCTSTR text)
{
    std::wstring result(text ? text : L"");
    for (auto& ch : result)
        ch = static_cast<wchar_t>(std::towlower(static_cast<wint_t>(ch)));
    return result;
}
} // namespace

CDuiString::CDuiString(LPCTSTR text, int length)
{
    Assign(text, length);
}

TCHAR CDuiString::GetAt(int index) const
{
    if (index < 0 || index >= GetLength())
        return 0;
    return m_str[static_cast<std::size_t>(index)];
}

void CDuiString::Assign(LPCTSTR text, int length)
{
    if (text == nullptr)
    {
        m_str.clear();
        return;
    }
    const std::size_t full = std::wcslen(text);
    const std::size_t count = length < 0 ? full : std::min(full, static_cast<std::size_t>(length));
    m_str.assign(text, count);
}

void CDuiString::Append(LPCTSTR text)
{
    if (text)
        m_str.append(text);
}

void CDuiString::SetAt(int index, TCHAR ch)
{
    if (index >= 0 && index < GetLength())
        m_str[static_cast<std::size_t>(index)] = ch;
}

int CDuiString::Compare(LPCTSTR text) const
{
    return m_str.compare(text ? text : L"");
}

int CDuiString::CompareNoCase(LPCTSTR text) const
{
    return Folded(m_str.c_str()).compare(Folded(text));
}

void CDuiString::MakeUpper()
{
    for (auto& ch : m_str)
        ch = static_cast<wchar_t>(std::towupper(static_cast<wint_t>(ch)));
}

void CDuiString::MakeLower()
{
    m_str = Folded(m_str.c_str());
}

CDuiString CDuiString::Left(int length) const
{
    return Mid(0, length);
}

CDuiString CDuiString::Mid(int pos, int length) const
{
    if (pos < 0 || pos >= GetLength())
        return CDuiString();
    const std::size_t count = length < 0 ? std::wstring::npos : static_cast<std::size_t>(length);
    return CDuiString(m_str.substr(static_cast<std::size_t>(pos), count));
}

CDuiString CDuiString::Right(int length) const
{
    const int size = GetLength();
    length = std::clamp(length, 0, size);
    return Mid(size - length, length);
}

int CDuiString::Find(TCHAR ch, int pos) const
{
    if (pos < 0 || pos > GetLength())
        return -1;
    const auto found = m_str.find(ch, static_cast<std::size_t>(pos));
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

int CDuiString::Find(LPCTSTR text, int pos) const
{
    if (text == nullptr || pos < 0 || pos > GetLength())
        return -1;
    const auto found = m_str.find(text, static_cast<std::size_t>(pos));
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

int CDuiString::ReverseFind(TCHAR ch) const
{
    const auto found = m_str.rfind(ch);
    return found == std::wstring::npos ? -1 : static_cast<int>(found);
}

int CDuiString::Replace(LPCTSTR from, LPCTSTR to)
{
    if (from == nullptr || *from == 0)
        return 0;
    const std::wstring needle(from);
    const std::wstring replacement(to ? to : L"");
    int count = 0;
    for (std::size_t pos = m_str.find(needle); pos != std::wstring::npos;
         pos = m_str.find(needle, pos + replacement.size()))
    {
        m_str.replace(pos, needle.size(), replacement);
        ++count;
    }
    return count;
}

int CDuiString::Format(LPCTSTR format, ...)
{
    va_list args;
    va_start(args, format);
    m_str = FormatV(format ? format : L"", args);
    va_end(args);
    return GetLength();
}

CDuiString& CDuiString::operator=(LPCTSTR text)
{
    Assign(text);
    return *this;
}

CDuiString& CDuiString::operator=(const std::wstring& text)
{
    m_str = text;
    return *this;
}

CDuiString& CDuiString::operator=(TCHAR ch)
{
    m_str.assign(1, ch);
    return *this;
}

CDuiString& CDuiString::operator+=(LPCTSTR text)
{
    Append(text);
    return *this;
}

CDuiString& CDuiString::operator+=(const CDuiString& text)
{
    m_str += text.m_str;
    return *this;
}

CDuiString& CDuiString::operator+=(TCHAR ch)
{
    m_str += ch;
    return *this;
}

CDuiString CDuiString::operator+(LPCTSTR text) const
{
    CDuiString result(*this);
    result += text;
    return result;
}

CDuiString CDuiString::operator+(const CDuiString& text) const
{
    CDuiString result(*this);
    result += text;
    return result;
}
} // namespace DuiLib
