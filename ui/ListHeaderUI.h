#pragma once
// The row of column captions above a list's body; lists in this product mostly hide it.

#include "ui/HorizontalLayoutUI.h"

namespace DuiLib
{
class CListHeaderUI : public CHorizontalLayoutUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
};
} // namespace DuiLib
