#include "main/AnimImg.h"

#include "main/FrameList.h"
#include "ui/PaintManagerUI.h"

#include <algorithm>
#include <cwchar>

namespace
{
// Ticks per frame; a huge value in a damaged skin only freezes the animation.
int ReadSpeed(LPCTSTR value)
{
    return static_cast<int>(std::min(std::wcstoul(value, nullptr, 10), 1000000ul));
}
} // namespace

CAnimImg::~CAnimImg()
{
    if (m_pManager != nullptr)
        m_pManager->KillTimer(this, ANIM_TIMER_ID);
}

LPCTSTR CAnimImg::GetClass() const
{
    return L"AnimImg";
}

LPVOID CAnimImg::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"AnimImg") == 0)
        return this;
    return CTextUI::GetInterface(pstrName);
}

void CAnimImg::Start()
{
    m_nTick = 0;
    m_nCurFrame = 0;
    if (m_pManager != nullptr)
        m_pManager->SetTimer(this, ANIM_TIMER_ID, 1);
    Invalidate();
}

void CAnimImg::DoEvent(DuiLib::TEventUI& event)
{
    CTextUI::DoEvent(event);
    if (event.Type != DuiLib::UIEVENT_TIMER || event.wParam != ANIM_TIMER_ID)
        return;
    if (++m_nTick < m_nSpeed)
        return;
    m_nTick = 0;
    if (++m_nCurFrame >= m_nFrameCount)
        m_nCurFrame = 0;
    Invalidate();
}

void CAnimImg::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (std::wcscmp(pstrName, L"speed") == 0)
        m_nSpeed = ReadSpeed(pstrValue);
    else if (std::wcscmp(pstrName, L"anim") == 0)
    {
        m_vecFrames = ParseFrameList(pstrValue);
        m_nFrameCount = m_vecFrames.empty() ? 1 : static_cast<int>(m_vecFrames.size());
        m_nCurFrame = 0;
        Invalidate();
    }
    else
        CTextUI::SetAttribute(pstrName, pstrValue);
}

void CAnimImg::PaintBkImage(HDC hDC)
{
    if (m_vecFrames.empty())
        return;
    const size_t frame = static_cast<size_t>(m_nCurFrame) < m_vecFrames.size() ? m_nCurFrame : 0;
    DrawImage(hDC, m_vecFrames[frame].sImageName);
}
