#pragma once
// Frame animation (skin tag "AnimImg"): shows the numbered images of "anim" one after the
// other, each for "speed" ticks of the control's timer, once Start is called.

#include "ui/TextUI.h"

#include "ui/DrawInfo.h"

#include <vector>

constexpr UINT ANIM_TIMER_ID = 13;

class CAnimImg : public DuiLib::CTextUI
{
public:
    CAnimImg() = default;
    CAnimImg(const CAnimImg&) = delete;
    CAnimImg& operator=(const CAnimImg&) = delete;
    ~CAnimImg() override;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;
    void DoEvent(DuiLib::TEventUI& event) override;
    void SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue) override;
    void PaintBkImage(HDC hDC) override;

    // Restarts from the first frame and starts the timer.
    void Start();

    int GetCurFrame() const { return m_nCurFrame; }
    int GetFrameCount() const { return m_nFrameCount; }
    const std::vector<DuiLib::TDrawInfo>& GetFrames() const { return m_vecFrames; }

private:
    int m_nSpeed = 100;
    int m_nTick = 0;
    std::vector<DuiLib::TDrawInfo> m_vecFrames;
    int m_nCurFrame = 0;
    int m_nFrameCount = 1;
};
