#pragma once
// A scroll bar: optional arrow buttons at both ends, a rail and a thumb that can be dragged.
// It belongs to a scrolling control (its owner), which paints it, lays it out and hears every
// position change through the callback; wheel turns over the bar go to the owner.

#include "ui/ControlUI.h"

#include <functional>

namespace DuiLib
{
class CScrollBarUI : public CControlUI
{
public:
    using ScrollCallback = std::function<void(int)>;

    CScrollBarUI();

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    CControlUI* GetOwner() const { return m_pOwner; }
    // onScroll runs with the new position after every change the bar makes or is given.
    void SetOwner(CControlUI* pOwner, ScrollCallback onScroll = {});
    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool bHorizontal = true);
    int GetScrollRange() const { return m_nRange; }
    void SetScrollRange(int nRange);
    int GetScrollPos() const { return m_nScrollPos; }
    void SetScrollPos(int nPos);
    int GetLineSize() const { return m_nLineSize; }
    void SetLineSize(int nSize);
    // The thickness the owner reserves for the bar (its fixed width, or height when horizontal).
    int GetThickness() const;

    void LineUp() { SetScrollPos(m_nScrollPos - m_nLineSize); }
    void LineDown() { SetScrollPos(m_nScrollPos + m_nLineSize); }
    void PageUp() { SetScrollPos(m_nScrollPos - TrackLength()); }
    void PageDown() { SetScrollPos(m_nScrollPos + TrackLength()); }

    const RECT& GetThumbRect() const { return m_rcThumb; }
    const RECT& GetButton1Rect() const { return m_rcButton1; }
    const RECT& GetButton2Rect() const { return m_rcButton2; }

    void SetPos(RECT rc, bool bNeedInvalidate = true) override;
    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void DoPaint(HDC hDC, const RECT& rcPaint) override;

private:
    enum Part
    {
        kButton1,
        kButton2,
        kThumb,
        kRail,
        kPartCount
    };
    struct PartLook
    {
        CDuiString normal;
        CDuiString hot;
        CDuiString pushed;
    };

    int TrackLength() const;
    int Along(POINT pt) const { return m_bHorizontal ? pt.x : pt.y; }
    void UpdateParts();
    Part HitPart(POINT pt) const;
    void OnButtonDown(POINT pt);
    void OnDrag(POINT pt);
    void SetHotPart(int part);
    void PaintPart(HDC hDC, Part part, const RECT& rc);
    bool SetPartImage(LPCTSTR name, LPCTSTR value);

    CControlUI* m_pOwner = nullptr;
    ScrollCallback m_onScroll;
    bool m_bHorizontal = false;
    bool m_bShowButton1 = true;
    bool m_bShowButton2 = true;
    int m_nRange = 0;
    int m_nScrollPos = 0;
    int m_nLineSize = 8;
    RECT m_rcButton1{};
    RECT m_rcButton2{};
    RECT m_rcThumb{};
    int m_nHotPart = -1;
    int m_nPushedPart = -1;
    int m_nDragStart = 0;
    int m_nDragStartPos = 0;
    PartLook m_looks[kPartCount];
    DWORD m_dwThumbColor = 0xFFC2C2C2;
};
} // namespace DuiLib
