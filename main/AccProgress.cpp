#include "main/AccProgress.h"

#include "main/FrameList.h"

#include <algorithm>
#include <cwchar>

LPCTSTR CAccProgress::GetClass() const
{
    return L"AccProgress";
}

LPVOID CAccProgress::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"AccProgress") == 0)
        return this;
    return CTextUI::GetInterface(pstrName);
}

void CAccProgress::SetAttribute(LPCTSTR pstrName, LPCTSTR pstrValue)
{
    if (std::wcscmp(pstrName, L"accpro") != 0)
    {
        CTextUI::SetAttribute(pstrName, pstrValue);
        return;
    }
    m_vecFrames = ParseFrameList(pstrValue);
    m_nFrameCount = m_vecFrames.empty() ? 1 : static_cast<int>(m_vecFrames.size());
    Invalidate();
}

int CAccProgress::ShownFrame() const
{
    if (m_vecFrames.empty())
        return -1;
    return std::clamp(m_nValue / 10, 0, static_cast<int>(m_vecFrames.size()) - 1);
}

void CAccProgress::PaintBkImage(HDC hDC)
{
    const int frame = ShownFrame();
    if (frame >= 0)
        DrawImage(hDC, m_vecFrames[static_cast<size_t>(frame)].sImageName);
}
