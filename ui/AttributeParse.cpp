#include "ui/AttributeParse.h"

#include <cwchar>
#include <cwctype>

namespace DuiLib
{
int ParseIntList(LPCTSTR value, int* out, int maxCount)
{
    int count = 0;
    const wchar_t* cursor = value;
    while (cursor && *cursor && count < maxCount)
    {
        wchar_t* end = nullptr;
        const long number = std::wcstol(cursor, &end, 10);
        if (end == cursor)
            break;
        out[count++] = static_cast<int>(number);
        cursor = end;
        while (*cursor == L' ')
            ++cursor;
        if (*cursor != L',')
            break;
        ++cursor;
    }
    return count;
}

RECT ParseRect(LPCTSTR value)
{
    int v[4] = {0, 0, 0, 0};
    ParseIntList(value, v, 4);
    return RECT{v[0], v[1], v[2], v[3]};
}

SIZE ParseSize(LPCTSTR value)
{
    int v[2] = {0, 0};
    ParseIntList(value, v, 2);
    return SIZE{v[0], v[1]};
}

DWORD ParseColor(LPCTSTR value)
{
    if (value == nullptr)
        return 0;
    while (*value == L'#' || *value == L' ')
        ++value;
    if (value[0] == L'0' && (value[1] == L'x' || value[1] == L'X'))
        value += 2;
    wchar_t* end = nullptr;
    const unsigned long color = std::wcstoul(value, &end, 16);
    if (end - value == 6)
        return static_cast<DWORD>(color) | 0xFF000000u;
    return static_cast<DWORD>(color);
}

bool ParseBool(LPCTSTR value)
{
    return value != nullptr && std::wcscmp(value, L"true") == 0;
}

int ParseInt(LPCTSTR value)
{
    return value ? static_cast<int>(std::wcstol(value, nullptr, 10)) : 0;
}

std::vector<std::pair<CDuiString, CDuiString>> ParseAttributeList(LPCTSTR list)
{
    std::vector<std::pair<CDuiString, CDuiString>> result;
    const wchar_t* p = list;
    while (p && *p)
    {
        while (*p && std::iswspace(static_cast<wint_t>(*p)))
            ++p;
        const wchar_t* nameStart = p;
        while (*p && *p != L'=' && !std::iswspace(static_cast<wint_t>(*p)))
            ++p;
        CDuiString name(nameStart, static_cast<int>(p - nameStart));
        while (*p && *p != L'=')
            ++p;
        if (*p != L'=')
            break;
        ++p;
        while (*p == L' ')
            ++p;
        if (*p != L'"' && *p != L'\'')
            break;
        const wchar_t quote = *p++;
        const wchar_t* valueStart = p;
        while (*p && *p != quote)
            ++p;
        if (*p != quote)
            break;
        result.emplace_back(name, CDuiString(valueStart, static_cast<int>(p - valueStart)));
        ++p;
    }
    return result;
}
} // namespace DuiLib
