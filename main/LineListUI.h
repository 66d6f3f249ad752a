#pragma once
// The file-row list of a conversion tab (skin tag "LineList"). Every row is built from
// "LineItem.xml" and shows one FileItem, whose address it keeps as its tag; the items belong
// to the main window's vector of that tab. Row i shows vector element i: rows are ordered by
// item id and ids grow in the order items are appended.

#include "main/FileItem.h"

#include "ui/DialogBuilder.h"
#include "ui/ListUI.h"

#include <vector>

class CLineListUI : public DuiLib::CListUI
{
public:
    CLineListUI() = default;
    CLineListUI(const CLineListUI&) = delete;
    CLineListUI& operator=(const CLineListUI&) = delete;

    LPCTSTR GetClass() const override;
    LPVOID GetInterface(LPCTSTR pstrName) override;

    // Builds a row for the item; false when no row could be built or the list refused it.
    bool AddLine(FileItem* item);
    // Appends a new item to the tab's items and builds its row. When the row cannot be built
    // the item is taken out of the vector again and deleted, so rows and items stay in step.
    bool AddLine(std::vector<FileItem*>& items, FileItem* item);
    // Removes (and later destroys) row index; its item is the caller's to erase and delete.
    bool RemoveLine(int index);
    // false for an index outside the rows, leaving *out untouched.
    bool GetLineItem(int index, FileItem** out) const;
    // Orders the rows by ascending item id and refreshes every row from its item.
    void SortLines();
    // Copies the row's item into the row's controls.
    static void RefreshLine(DuiLib::CControlUI* row);

    // The file the rows are built from; the list reads it once and keeps the markup.
    static constexpr const wchar_t* kRowSkin = L"LineItem.xml";

private:
    DuiLib::CControlUI* BuildRow();

    DuiLib::CDialogBuilder m_rowBuilder;
};

// Sort predicate of the rows: the id of a's item is below the id of b's (rows without an
// item go last).
bool CompareLineId(DuiLib::CControlUI* a, DuiLib::CControlUI* b);
