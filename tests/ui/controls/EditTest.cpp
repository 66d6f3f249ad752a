#include "tests/support/ControlHost.h"

#include "ui/EditUI.h"

#include <gtest/gtest.h>

using namespace DuiLib;

namespace
{
constexpr const wchar_t* kTwoEdits =
    L"<VerticalLayout><Edit name=\"width_edit\" height=\"24\" numberonly=\"true\" maxchar=\"5\"/>"
    L"<Edit name=\"name\" height=\"24\"/></VerticalLayout>";

struct EditHost
{
    ControlHost host;
    CEditUI* number;
    CEditUI* text;
    EditHost()
    {
        host.Load(kTwoEdits);
        number = static_cast<CEditUI*>(host.Manager().FindControl(L"width_edit"));
        text = static_cast<CEditUI*>(host.Manager().FindControl(L"name"));
    }
};
} // namespace

TEST(EditTest, TypedCharactersEditingKeysAndChineseInput)
{
    EditHost e;
    e.host.Click(5, 30);
    ASSERT_TRUE(e.text->IsFocused());
    e.host.Type(L"hello");
    EXPECT_EQ(e.text->GetText(), CDuiString(L"hello"));
    EXPECT_EQ(e.host.Count(L"textchanged"), 5);
    e.host.Key(VK_BACK);
    EXPECT_EQ(e.text->GetText(), CDuiString(L"hell"));
    e.host.Key(VK_HOME);
    e.host.Key(VK_DELETE);
    EXPECT_EQ(e.text->GetText(), CDuiString(L"ell"));
    e.host.Key(VK_RIGHT);
    e.host.Type(L"中文");
    EXPECT_EQ(e.text->GetText(), CDuiString(L"e中文ll"));
    e.host.Key(VK_END);
    e.host.Key(VK_BACK);
    EXPECT_EQ(e.text->GetText(), CDuiString(L"e中文l"));
}

TEST(EditTest, SelectionCopyCutPaste)
{
    EditHost e;
    e.host.Click(5, 30);
    e.host.Type(L"abcdef");
    platform::headless::InjectMessage(e.host.GetHWND(), WM_KEYDOWN, VK_SHIFT, 0);
    e.host.Key(VK_LEFT);
    e.host.Key(VK_LEFT);
    platform::headless::InjectMessage(e.host.GetHWND(), WM_KEYUP, VK_SHIFT, 0);
    e.host.Pump();
    EXPECT_EQ(e.text->GetSelStart(), 4);
    EXPECT_EQ(e.text->GetSelEnd(), 6);
    e.host.Type(std::wstring(1, 0x18)); // Ctrl+X
    EXPECT_EQ(e.text->GetText(), CDuiString(L"abcd"));
    e.host.Key(VK_HOME);
    e.host.Type(std::wstring(1, 0x16)); // Ctrl+V
    EXPECT_EQ(e.text->GetText(), CDuiString(L"efabcd"));
    e.host.Type(std::wstring(1, 0x01)); // Ctrl+A
    e.host.Type(L"z");
    EXPECT_EQ(e.text->GetText(), CDuiString(L"z"));
}

TEST(EditTest, NumberOnlyMaxCharReadOnlyAndKillFocus)
{
    EditHost e;
    e.host.Click(5, 5);
    ASSERT_TRUE(e.number->IsFocused());
    e.host.Type(L"1a2-b3");
    EXPECT_EQ(e.number->GetText(), CDuiString(L"123"));
    EXPECT_EQ(e.host.Count(L"textchanged"), 3) << "refused characters change nothing";
    e.host.Type(L"456789");
    EXPECT_EQ(e.number->GetText(), CDuiString(L"12345"));
    // Pasted text is filtered the same way.
    e.text->SetText(L"x9y");
    e.host.Click(5, 30);
    e.text->SetSelAll();
    e.host.Type(std::wstring(1, 0x03)); // Ctrl+C of "x9y"
    e.host.Click(5, 5);
    e.host.Type(std::wstring(1, 0x01));
    e.host.Type(std::wstring(1, 0x16));
    EXPECT_EQ(e.number->GetText(), CDuiString(L"9"));

    const int before = e.host.Count(DUI_MSGTYPE_KILLFOCUS);
    e.host.Click(5, 30);
    ASSERT_EQ(e.host.Count(DUI_MSGTYPE_KILLFOCUS), before + 1);
    EXPECT_EQ(e.host.notes[static_cast<std::size_t>(e.host.notes.size()) - 2].sender, e.number);

    e.text->SetReadOnly(true);
    e.host.Type(L"q");
    e.host.Key(VK_BACK);
    EXPECT_EQ(e.text->GetText(), CDuiString(L"x9y"));
}

TEST(EditTest, ClickPlacesTheCaretAndPasswordHidesText)
{
    EditHost e;
    e.text->SetText(L"5");
    e.host.Click(1, 30);
    e.text->SetSelAll();
    e.host.Type(std::wstring(1, 0x03));
    e.text->SetText(L"iiiiiiiiii");
    e.host.Click(1, 30);
    EXPECT_EQ(e.text->GetCaret(), 0);
    e.host.Click(399, 30);
    EXPECT_EQ(e.text->GetCaret(), 10);
    e.text->SetPasswordMode(true);
    e.text->SetSelAll();
    e.host.Type(std::wstring(1, 0x03));
    e.host.Click(5, 5);
    e.number->SetText(L"");
    e.host.Type(std::wstring(1, 0x16));
    EXPECT_EQ(e.number->GetText(), CDuiString(L"5")) << "a password is not copied";
}
