#pragma once
// Builds a control tree from a skin document. The <Window> root carries the window's settings,
// fonts and per-class default attributes for the paint manager; every other element is a
// control, made by the control factory or, for tags it does not know, by the callback. The
// parsed document is kept: Create without a file builds the same tree again without reading.

#include "ui/ControlUI.h"
#include "ui/Markup.h"

namespace DuiLib
{
class CDialogBuilder
{
public:
    // xml is markup (starting with "<") or a skin file name; type is kept for compatibility
    // (skins are always read through the paint manager's resource source).
    CControlUI* Create(LPCTSTR xml, LPCTSTR type = nullptr, IDialogBuilderCallback* pCallback = nullptr,
                       CPaintManagerUI* pManager = nullptr, CControlUI* pParent = nullptr);
    CControlUI* Create(IDialogBuilderCallback* pCallback = nullptr, CPaintManagerUI* pManager = nullptr,
                       CControlUI* pParent = nullptr);
    CMarkup* GetMarkup() { return &m_xml; }

private:
    CControlUI* Parse(pugi::xml_node node, CControlUI* pParent, CPaintManagerUI* pManager);
    CControlUI* CreateElement(pugi::xml_node element, CPaintManagerUI* pManager);
    bool Attach(CControlUI* pControl, CControlUI* pParent);
    void ApplyWindow(pugi::xml_node window, CPaintManagerUI* pManager);
    void ApplyResources(pugi::xml_node window, CPaintManagerUI* pManager);
    CControlUI* Include(pugi::xml_node element, CControlUI* pParent, CPaintManagerUI* pManager);

    CMarkup m_xml;
    IDialogBuilderCallback* m_pCallback = nullptr;
    int m_includeDepth = 0;
};
} // namespace DuiLib
