#pragma once
// The popup window of one menu list. It never takes activation, so the owner keeps the
// keyboard focus while the menu is open; its paint manager shows the list without owning it.

#include "ui/UIlib.h"
#include "ui/WndShadow.h"

class CMenuUI;

class CMenuWnd : public DuiLib::CWindowWnd
{
public:
    DuiLib::CPaintManagerUI m_pm;
    CMenuUI* m_pMenu = nullptr;
    DuiLib::CWndShadow* m_pShadow = nullptr;

protected:
    LPCTSTR GetWindowClassName() const override { return L"MenuWndCls"; }
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hWnd) override;

private:
    void OnKeyDown(WPARAM key);
};
