#include "ui/HtmlTextLayout.h"

#include "ui/AttributeParse.h"

#include <algorithm>

namespace DuiLib
{
CHtmlTextLayout::CHtmlTextLayout(HDC hDC, CPaintManagerUI* pManager, int iFont, DWORD dwTextColor)
    : m_hDC(hDC), m_pManager(pManager)
{
    m_style.fonts.push_back(iFont);
    m_style.colors.push_back(dwTextColor);
}

void CHtmlTextLayout::Parse(LPCTSTR pstrText)
{
    std::wstring pending;
    const std::wstring text(pstrText ? pstrText : L"");
    std::size_t pos = 0;
    while (pos < text.size())
    {
        const std::size_t close = text[pos] == L'<' ? text.find(L'>', pos) : std::wstring::npos;
        if (close != std::wstring::npos)
        {
            const std::wstring tag = text.substr(pos + 1, close - pos - 1);
            const std::wstring before = pending;
            pending.clear();
            AddText(before);
            if (ApplyTag(tag))
            {
                pos = close + 1;
                continue;
            }
            pending = L"<";
            ++pos;
            continue;
        }
        pending += text[pos++];
    }
    AddText(pending);
}

bool CHtmlTextLayout::ApplyTag(const std::wstring& tag)
{
    auto pop = [](auto& stack) {
        if (stack.size() > 1)
            stack.pop_back();
    };
    if (tag == L"b" || tag == L"/b")
        m_style.bold += tag[0] == L'/' ? -1 : 1;
    else if (tag == L"i" || tag == L"/i")
        m_style.italic += tag[0] == L'/' ? -1 : 1;
    else if (tag == L"u" || tag == L"/u")
        m_style.underline += tag[0] == L'/' ? -1 : 1;
    else if (tag == L"/c")
        pop(m_style.colors);
    else if (tag == L"/f")
        pop(m_style.fonts);
    else if (tag.size() > 2 && tag.compare(0, 2, L"c ") == 0)
        m_style.colors.push_back(ParseColor(tag.c_str() + 2));
    else if (tag.size() > 2 && tag.compare(0, 2, L"f ") == 0)
        m_style.fonts.push_back(ParseInt(tag.c_str() + 2));
    else if (tag == L"n")
    {
        Run run;
        run.lineBreak = true;
        m_runs.push_back(run);
    }
    else
        return false;
    return true;
}

void CHtmlTextLayout::AddText(const std::wstring& text)
{
    if (text.empty())
        return;
    Run run;
    run.text = text;
    run.font = CurrentFont();
    run.color = m_style.colors.back();
    run.size = Measure(run);
    m_runs.push_back(run);
}

HFONT CHtmlTextLayout::CurrentFont()
{
    const int id = m_style.fonts.back();
    if (m_style.bold <= 0 && m_style.italic <= 0 && m_style.underline <= 0)
        return m_pManager->GetFont(id);
    const TFontInfo* base = m_pManager->GetFontInfo(id);
    if (base == nullptr)
        base = m_pManager->GetDefaultFontInfo();
    return m_pManager->GetFont(base->sFontName, base->iSize, base->bBold || m_style.bold > 0,
                               base->bUnderline || m_style.underline > 0,
                               base->bItalic || m_style.italic > 0);
}

SIZE CHtmlTextLayout::Measure(const Run& run)
{
    HGDIOBJ old = SelectObject(m_hDC, reinterpret_cast<HGDIOBJ>(run.font));
    RECT rc{0, 0, 9999, 9999};
    ::DrawTextW(m_hDC, run.text.c_str(), -1, &rc, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(m_hDC, old);
    return SIZE{rc.right, rc.bottom};
}

std::vector<CHtmlTextLayout::Line> CHtmlTextLayout::BuildLines()
{
    std::vector<Line> lines(1);
    for (const Run& run : m_runs)
    {
        if (run.lineBreak)
        {
            if (lines.back().height == 0)
                lines.back().height = Measure(Run{L" ", CurrentFont(), 0, false, {}}).cy;
            lines.emplace_back();
            continue;
        }
        lines.back().runs.push_back(&run);
        lines.back().width += run.size.cx;
        lines.back().height = std::max<int>(lines.back().height, run.size.cy);
    }
    return lines;
}

void CHtmlTextLayout::Draw(RECT& rc, UINT uStyle)
{
    const std::vector<Line> lines = BuildLines();
    int totalWidth = 0;
    int totalHeight = 0;
    for (const Line& line : lines)
    {
        totalWidth = std::max(totalWidth, line.width);
        totalHeight += line.height;
    }
    if (uStyle & DT_CALCRECT)
    {
        rc.right = rc.left + totalWidth;
        rc.bottom = rc.top + totalHeight;
        return;
    }
    int y = rc.top;
    if (uStyle & DT_VCENTER)
        y += (rc.bottom - rc.top - totalHeight) / 2;
    else if (uStyle & DT_BOTTOM)
        y = rc.bottom - totalHeight;
    SetBkMode(m_hDC, TRANSPARENT);
    for (const Line& line : lines)
    {
        int x = rc.left;
        if (uStyle & DT_CENTER)
            x += (rc.right - rc.left - line.width) / 2;
        else if (uStyle & DT_RIGHT)
            x = rc.right - line.width;
        for (const Run* run : line.runs)
        {
            HGDIOBJ old = SelectObject(m_hDC, reinterpret_cast<HGDIOBJ>(run->font));
            SetTextColor(m_hDC, RGB((run->color >> 16) & 0xFF, (run->color >> 8) & 0xFF, run->color & 0xFF));
            RECT cell{x, y + line.height - run->size.cy, x + run->size.cx, y + line.height};
            ::DrawTextW(m_hDC, run->text.c_str(), -1, &cell, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
            SelectObject(m_hDC, old);
            x += run->size.cx;
        }
        y += line.height;
    }
}

std::wstring CHtmlTextLayout::PlainText() const
{
    std::wstring text;
    for (const Run& run : m_runs)
        text += run.lineBreak ? L"\n" : run.text;
    return text;
}
} // namespace DuiLib
