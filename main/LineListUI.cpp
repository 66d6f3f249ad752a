#include "main/LineListUI.h"

#include "main/MainControls.h"

#include "common/base/Log.h"
#include "ui/ComboUI.h"
#include "ui/LabelUI.h"
#include "ui/ProgressUI.h"

#include <algorithm>
#include <array>
#include <cwchar>
#include <string>

using namespace DuiLib;

namespace
{
// Whoever uses the list also gets its skin tags registered, even from a static library.
[[maybe_unused]] const bool g_controlsRegistered = RegisterMainControls();

// The row's controls, by name, found in one walk over the row.
enum RowControl
{
    ROW_FILE_NAME,
    ROW_FILE_TYPE,
    ROW_COMBO,
    ROW_PROGRESS,
    ROW_PROGRESS_VALUE,
    ROW_ERROR_INFO,
    ROW_OP_FOLDER,
    ROW_OP_SCAN,
    ROW_OP_SETTING,
    ROW_OP_DEL,
    ROW_CONTROL_COUNT,
};

constexpr std::array<const wchar_t*, ROW_CONTROL_COUNT> kRowControlNames = {
    L"file_name",  L"file_type", L"combo_out_type", L"progress",   L"progress_value",
    L"error_info", L"op_folder", L"op_scan",        L"op_setting", L"op_del",
};

// Where the operation buttons stand on a compression row, which also shows op_setting.
constexpr std::array<const wchar_t*, 4> kCompressButtonPos = {L"25,4", L"82,4", L"139,4,171,36", L"196,4"};

using RowControls = std::array<CControlUI*, ROW_CONTROL_COUNT>;

CControlUI* CollectRowControl(CControlUI* control, LPVOID data)
{
    auto* found = static_cast<RowControls*>(data);
    const CDuiString name = control->GetName();
    for (std::size_t i = 0; i < kRowControlNames.size(); ++i)
    {
        if ((*found)[i] == nullptr && name == kRowControlNames[i])
        {
            (*found)[i] = control;
            break;
        }
    }
    return nullptr; // walk on: every control of the row is looked at
}

RowControls FindRowControls(CControlUI* row)
{
    RowControls found{};
    row->FindControl(&CollectRowControl, &found, UIFIND_ALL);
    return found;
}

template <typename T> T* As(CControlUI* control, LPCTSTR kind)
{
    return control ? static_cast<T*>(control->GetInterface(kind)) : nullptr;
}

FileItem* ItemOf(CControlUI* row)
{
    return row ? reinterpret_cast<FileItem*>(row->GetTag()) : nullptr;
}

void PutText(CControlUI* control, const std::wstring& text)
{
    if (control)
        control->SetText(text.c_str());
}

void Show(CControlUI* control, bool visible)
{
    if (control)
        control->SetVisible(visible);
}

void ShowStatus(const RowControls& controls, const FileItem& item)
{
    const bool failed = item.m_nStatus == FILE_FAILED;
    // The failure label keeps its layout text; the reason went to the log.
    Show(controls[ROW_ERROR_INFO], failed);
    Show(controls[ROW_PROGRESS_VALUE], !failed);
    Show(controls[ROW_PROGRESS], !failed);
    if (failed)
        return;
    if (auto* progress = As<CProgressUI>(controls[ROW_PROGRESS], L"Progress"))
        progress->SetValue(item.m_nProgress);
    PutText(controls[ROW_PROGRESS_VALUE], std::to_wstring(item.m_nProgress) + L"%");
}

void ShowOperations(const RowControls& controls, const FileItem& item)
{
    const bool compress = item.m_nKind == TAB_COMPRESS;
    Show(controls[ROW_OP_SETTING], compress);
    if (!compress)
        return; // the other tabs keep the layout's places
    for (std::size_t i = 0; i < kCompressButtonPos.size(); ++i)
    {
        if (CControlUI* button = controls[ROW_OP_FOLDER + i])
            button->SetAttribute(L"pos", kCompressButtonPos[i]);
    }
}
} // namespace

LPCTSTR CLineListUI::GetClass() const
{
    return L"LineListUI";
}

LPVOID CLineListUI::GetInterface(LPCTSTR pstrName)
{
    if (std::wcscmp(pstrName, L"LineList") == 0)
        return this;
    return CListUI::GetInterface(pstrName);
}

CControlUI* CLineListUI::BuildRow()
{
    // The file is read and parsed once; later rows come from the kept markup.
    if (m_rowBuilder.GetMarkup()->IsValid())
        return m_rowBuilder.Create(nullptr, m_pManager, nullptr);
    return m_rowBuilder.Create(kRowSkin, nullptr, nullptr, m_pManager, nullptr);
}

bool CLineListUI::AddLine(FileItem* item)
{
    CControlUI* row = BuildRow();
    if (row == nullptr)
    {
        LOG_WARN(L"CLineListUI::AddLine", L"no row could be built from %s", kRowSkin);
        return false;
    }
    row->SetTag(reinterpret_cast<UINT_PTR>(item));
    // New ids are the largest, so the bottom is where sorting puts the row anyway; inserting
    // at the top would renumber every row below it on each add.
    if (!AddAt(row, GetCount()))
    {
        delete row;
        return false;
    }
    return true;
}

bool CLineListUI::AddLine(std::vector<FileItem*>& items, FileItem* item)
{
    if (!AddLine(item))
    {
        delete item;
        return false;
    }
    items.push_back(item);
    return true;
}

bool CLineListUI::RemoveLine(int index)
{
    return RemoveAt(index);
}

bool CLineListUI::GetLineItem(int index, FileItem** out) const
{
    if (index < 0 || index >= GetCount())
        return false;
    *out = ItemOf(GetItemAt(index));
    return true;
}

void CLineListUI::SortLines()
{
    std::vector<CControlUI*> rows;
    rows.reserve(static_cast<std::size_t>(GetCount()));
    for (int i = 0; i < GetCount(); ++i)
    {
        if (CControlUI* row = GetItemAt(i))
            rows.push_back(row);
    }
    std::stable_sort(rows.begin(), rows.end(), CompareLineId);
    // A row already in place costs nothing to move, so sorting sorted rows stays linear.
    for (std::size_t k = 0; k < rows.size(); ++k)
    {
        SetItemIndex(rows[k], static_cast<int>(k));
        RefreshLine(rows[k]);
    }
}

void CLineListUI::RefreshLine(CControlUI* row)
{
    const FileItem* item = ItemOf(row);
    if (item == nullptr)
        return;
    const RowControls controls = FindRowControls(row);
    PutText(controls[ROW_FILE_NAME], item->m_strPath);
    PutText(controls[ROW_FILE_TYPE], item->m_strType);
    // Selecting with the event on: the main window hears "itemselect" and stores the value.
    if (auto* combo = As<CComboUI>(controls[ROW_COMBO], L"Combo"))
        combo->SelectItem(item->m_nOutType, false, true);
    ShowStatus(controls, *item);
    ShowOperations(controls, *item);
}

bool CompareLineId(CControlUI* a, CControlUI* b)
{
    const FileItem* left = ItemOf(a);
    const FileItem* right = ItemOf(b);
    if (left == nullptr || right == nullptr)
        return left != nullptr && right == nullptr;
    return left->m_nId < right->m_nId;
}
