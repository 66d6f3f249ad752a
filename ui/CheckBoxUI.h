#pragma once
// An option outside any group: each click toggles it.

#include "ui/OptionUI.h"

namespace DuiLib
{
class CCheckBoxUI : public COptionUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetCheck(bool bCheck, bool bTriggerEvent = true) { Selected(bCheck, bTriggerEvent); }
    bool GetCheck() const { return IsSelected(); }
};
} // namespace DuiLib
