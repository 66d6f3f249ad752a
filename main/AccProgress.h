#pragma once
// Progress shown as one of a strip of numbered images (skin tag "AccProgress", frames in
// "accpro"): frame value / 10 of the list, the last one at most.

#include "ui/TextUI.h"

#include "ui/DrawInfo.h"

#include <vector>

class CAccProgress : public DuiLib::CTextUI
{
public:
    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintBkImage(HDC hDC) override;

    // The frame the value shows, or -1 without frames.
    int ShownFrame() const;

private:
    std::vector<DuiLib::TDrawInfo> m_vecFrames;
    int m_nValue = 0;
    int m_nFrameCount = 1;
};
