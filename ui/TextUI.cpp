#include "ui/TextUI.h"

#include <cwchar>

namespace DuiLib
{
CTextUI::CTextUI()
{
    m_uTextStyle = DT_WORDBREAK;
}

LPCTSTR CTextUI::GetClass() const
{
    return L"TextUI";
}

LPVOID CTextUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"Text") == 0)
        return this;
    return CLabelUI::GetInterface(pstrName);
}
} // namespace DuiLib
