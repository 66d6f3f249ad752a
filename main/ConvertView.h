#pragma once
// What the conversion code asks of the window's controls: the start and cancel buttons,
// the rows and the toast. The main window answers with its controls; a headless host (tests,
// the pipeline benchmark) answers without any.

#include <string>

class IConvertView
{
public:
    virtual ~IConvertView() = default;
    // converting: the start button hidden and the cancel button shown; else the reverse.
    virtual void ShowConvertButtons(int tab, bool converting) = 0;
    // Orders the tab's rows by item id and redraws each (CLineListUI::SortLines).
    virtual void SortLines(int tab) = 0;
    // Redraws row index of the tab from its item (CLineListUI::RefreshLine).
    virtual void RefreshLine(int tab, int index) = 0;
    virtual void ShowTips(const std::wstring& text) = 0;
};
