#pragma once
// A label for longer text: wraps at word boundaries and starts at the top left.

#include "ui/LabelUI.h"

namespace DuiLib
{
class CTextUI : public CLabelUI
{
public:
    CTextUI();
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
};
} // namespace DuiLib
