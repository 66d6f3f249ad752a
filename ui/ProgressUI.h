#pragma once
// A progress bar: the background image (or colour) is the empty bar, the fore image is drawn
// over the share of it that the value reaches (left to right, or bottom up when vertical).

#include "ui/LabelUI.h"

namespace DuiLib
{
class CProgressUI : public CLabelUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    bool IsHorizontal() const { return m_bHorizontal; }
    void SetHorizontal(bool bHorizontal = true);
    int GetMinValue() const { return m_nMin; }
    void SetMinValue(int nMin);
    int GetMaxValue() const { return m_nMax; }
    void SetMaxValue(int nMax);
    int GetValue() const { return m_nValue; }
    // Kept within [min, max].
    void SetValue(int nValue);
    LPCTSTR GetForeImage() const { return m_sForeImage; }
    void SetForeImage(LPCTSTR pStrImage);

    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;

protected:
    // How much of a bar of length total the value fills; an empty range fills nothing.
    int FilledLength(int total) const;

    bool m_bHorizontal = true;
    int m_nMin = 0;
    int m_nMax = 100;
    int m_nValue = 0;
    CDuiString m_sForeImage;
};
} // namespace DuiLib
