#pragma once
// Children stacked top to bottom: fixed sizes first, the rest shared.

#include "ui/ContainerUI.h"

namespace DuiLib
{
class CVerticalLayoutUI : public CContainerUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
};
} // namespace DuiLib
