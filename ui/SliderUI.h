#pragma once
// A progress bar with a thumb the user moves: a click sets the value at that place, dragging
// follows the pointer, the wheel moves by the step. "valuechanged" is sent when the user's
// action ends with another value; values set by the program send nothing.

#include "ui/ProgressUI.h"

namespace DuiLib
{
class CSliderUI : public CProgressUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    UINT GetControlFlags() const override;

    int GetChangeStep() const { return m_nStep; }
    void SetChangeStep(int nStep);
    SIZE GetThumbSize() const { return m_szThumb; }
    void SetThumbSize(SIZE szThumb);
    RECT GetThumbRect() const;
    // The value a press at pt chooses.
    int ValueAt(POINT pt) const;

    void DoEvent(TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintStatusImage(HDC hDC) override;

private:
    void EndDrag(POINT pt);
    void NotifyIfChanged(int nBefore);
    void SetHot(bool bHot);

    SIZE m_szThumb{10, 10};
    int m_nStep = 1;
    UINT m_uButtonState = 0;
    int m_nValueAtPress = 0;
    CDuiString m_sThumbImage;
    CDuiString m_sThumbHotImage;
    CDuiString m_sThumbPushedImage;
};
} // namespace DuiLib
