#pragma once
// Lays out the small text markup of labels: <b>, <i>, <u>, <c #AARRGGBB>, <f id> with their
// closing tags, and <n> for a new line. Anything else, unknown tags included, is plain text.

#include "ui/PaintManagerUI.h"

#include <string>
#include <vector>

namespace DuiLib
{
class CHtmlTextLayout
{
public:
    CHtmlTextLayout(HDC hDC, CPaintManagerUI* pManager, int iFont, DWORD dwTextColor);
    void Parse(LPCTSTR pstrText);
    // Draws the text in rc with the alignment of uStyle; DT_CALCRECT only measures into rc.
    void Draw(RECT& rc, UINT uStyle);
    // The plain text, without markup (for tests and tooltips).
    std::wstring PlainText() const;

private:
    struct Style
    {
        int bold = 0;
        int italic = 0;
        int underline = 0;
        std::vector<int> fonts;
        std::vector<DWORD> colors;
    };
    struct Run
    {
        std::wstring text;
        HFONT font = nullptr;
        DWORD color = 0;
        bool lineBreak = false;
        SIZE size{};
    };
    struct Line
    {
        std::vector<const Run*> runs;
        int width = 0;
        int height = 0;
    };
    bool ApplyTag(const std::wstring& tag);
    void AddText(const std::wstring& text);
    HFONT CurrentFont();
    SIZE Measure(const Run& run);
    std::vector<Line> BuildLines();

    HDC m_hDC;
    CPaintManagerUI* m_pManager;
    Style m_style;
    std::vector<Run> m_runs;
};
} // namespace DuiLib
