#pragma once
// A control's skin attributes as a table of name -> setter. Each control keeps its table inside
// its SetAttribute, so the setters reach its members, and hands a name its table lacks to its
// base class. Names are compared exactly, as the skins write them.

#include "platform/WinTypes.h"

#include <cstddef>
#include <cwchar>

namespace DuiLib
{
template <typename Control> struct AttributeSetter
{
    LPCTSTR name;
    void (*set)(Control& control, LPCTSTR value);
};

// Runs the setter of the name; false when the table has none.
template <typename Control, std::size_t Count>
bool ApplyAttribute(const AttributeSetter<Control> (&table)[Count], Control& control, LPCTSTR name,
                    LPCTSTR value)
{
    for (const AttributeSetter<Control>& entry : table)
    {
        if (std::wcscmp(entry.name, name != nullptr ? name : L"") == 0)
        {
            entry.set(control, value);
            return true;
        }
    }
    return false;
}
} // namespace DuiLib
