#pragma once
// File rows on the main program's real skin: a headless window holding one LineList, items
// made the way the intake makes them, and a row's controls read back by name.

#include "tests/support/ControlHost.h"

#include "main/FileItem.h"
#include "main/LineListUI.h"

#include <string>
#include <vector>

namespace rowtest
{
// The skin embedded in this test program: the main program's own, read as it reads it.
void UseProgramSkin();
// Skin files from a folder instead of the embedded zip.
void UseSkinFolder(const std::wstring& folder);

// A window of 944 x height with one list filling it. Like the main window it owns the items
// of its tab and keeps them in the order of their ids.
class ListHost
{
public:
    explicit ListHost(int height = 600, int kind = TAB_NORMAL);
    ~ListHost();
    ListHost(const ListHost&) = delete;
    ListHost& operator=(const ListHost&) = delete;

    // A new item of this tab with the next id, waiting, without a row.
    FileItem* NewItem();
    // count new items with their rows, then one sort, as the intake adds files.
    void AddFiles(int count);
    DuiLib::CControlUI* Control(int row, const wchar_t* name);
    std::wstring Text(int row, const wchar_t* name);

    ControlHost host;
    CLineListUI* list = nullptr;
    std::vector<FileItem*> items;

private:
    int m_kind;
    int m_nextId = 0;
};

// The list row that holds a control three levels below it (cell, layout, row).
DuiLib::CControlUI* RowOf(DuiLib::CControlUI* control);
} // namespace rowtest
