#pragma once
// Children side by side, left to right: fixed sizes first, the rest shared.

#include "ui/ContainerUI.h"

namespace DuiLib
{
class CHorizontalLayoutUI : public CContainerUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
};
} // namespace DuiLib
