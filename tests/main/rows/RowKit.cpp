#include "tests/main/rows/RowKit.h"

#include "platform/Resources.h"

#include <gtest/gtest.h>

using namespace DuiLib;

namespace rowtest
{
void UseProgramSkin()
{
    const auto zip = platform::FindResourceData(L"ZIPRES", 103);
    ASSERT_FALSE(zip.empty());
    ASSERT_TRUE(CPaintManagerUI::SetResourceZip(zip.data(), static_cast<unsigned int>(zip.size())));
}

void UseSkinFolder(const std::wstring& folder)
{
    CPaintManagerUI::SetResourceZip(L"");
    CPaintManagerUI::SetResourcePath((folder + L"/").c_str());
}

ListHost::ListHost(int height, int kind) : host(944, height), m_kind(kind)
{
    CControlUI* root = host.Load(L"<LineList name=\"list\" header=\"hidden\" vscrollbar=\"true\"/>");
    list = root ? static_cast<CLineListUI*>(root->GetInterface(L"LineList")) : nullptr;
}

ListHost::~ListHost()
{
    if (list)
        list->RemoveAll();
    for (FileItem* item : items)
        delete item;
}

FileItem* ListHost::NewItem()
{
    auto* item = new FileItem;
    item->m_nId = m_nextId++;
    item->m_strPath = L"/home/user/Pictures/photo_" + std::to_wstring(item->m_nId) + L".png";
    item->m_strType = L"PNG";
    item->m_nOutType = 1;
    item->m_nKind = m_kind;
    return item;
}

void ListHost::AddFiles(int count)
{
    for (int i = 0; i < count; ++i)
        list->AddLine(items, NewItem());
    list->SortLines();
    host.Manager().UpdateLayout();
}

CControlUI* ListHost::Control(int row, const wchar_t* name)
{
    return host.Manager().FindSubControlByName(list->GetItemAt(row), name);
}

std::wstring ListHost::Text(int row, const wchar_t* name)
{
    CControlUI* control = Control(row, name);
    return control ? control->GetText().Str() : L"<none>";
}

CControlUI* RowOf(CControlUI* control)
{
    for (int level = 0; level < 3 && control; ++level)
        control = control->GetParent();
    return control;
}
} // namespace rowtest
