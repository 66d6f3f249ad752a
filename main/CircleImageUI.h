#pragma once
// A button whose background image turns about the control's centre (skin tag
// "CircleImage"): "speed" degrees every 100 ms, from the moment the attribute is set.

#include "ui/ButtonUI.h"

constexpr UINT CIRCLE_TIMER_ID = 12;

class CCircleImageUI : public DuiLib::CButtonUI
{
public:
    CCircleImageUI() = default;
    CCircleImageUI(const CCircleImageUI&) = delete;
    CCircleImageUI& operator=(const CCircleImageUI&) = delete;
    ~CCircleImageUI() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void DoEvent(DuiLib::TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintBkImage(HDC hDC) override;

    int GetAngle() const { return m_nAngle; }

private:
    int m_nAngle = 0;
    int m_nSpeed = 10;
    // Loaded on the first paint and kept, also when loading failed (no second try).
    cairo_surface_t* m_pImage = nullptr;
    bool m_bImageTried = false;
};
