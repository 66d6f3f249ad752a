#pragma once
// The table from skin tag to control class. The standard controls are in it from the start;
// other control sources add theirs with RegisterControl (tags compare without regard to case).

#include "ui/ControlUI.h"

#include <functional>

namespace DuiLib
{
class CControlFactory
{
public:
    using CreateClass = std::function<CControlUI*()>;

    static CControlFactory& GetInstance();
    // Adds or replaces the creator of a tag.
    void RegisterControl(LPCTSTR pstrTag, CreateClass creator);
    // A new control for the tag, or null when the tag is unknown.
    CControlUI* CreateControl(LPCTSTR pstrTag) const;

private:
    CControlFactory();
    struct Table;
    Table& Creators() const;
};
} // namespace DuiLib
