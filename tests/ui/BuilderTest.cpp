// The builder on real skin XML read from a real zip: layout results, fonts, default
// attributes, custom controls and rebuilding from the kept markup.
#include "tests/support/TestSupport.h"
#include "tests/ui/SkinKit.h"

#include "ui/UIlib.h"

#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace DuiLib;

namespace
{
const char* const kLayoutSkin = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="400,300" caption="0,0,0,40" mininfo="320,200" sizebox="4,4,4,4">
  <Font id="0" name="Microsoft YaHei" size="14" default="true"/>
  <Font id="1" name="Microsoft YaHei" size="18" bold="true"/>
  <Default name="Button" value="textcolor=&quot;#FF112233&quot; height=&quot;30&quot;"/>
  <VerticalLayout name="root" inset="10,10,10,10" childpadding="5">
    <HorizontalLayout name="title" height="40">
      <Label name="caption" width="100" text="标题" font="1"/>
      <Control name="spacer"/>
      <Button name="closeBtn" width="20" padding="0,10,10,10"/>
    </HorizontalLayout>
    <Control name="body"/>
    <Control name="body2"/>
    <Button name="ok" text="确定" textcolor="#FF445566"/>
    <Label name="floater" float="true" pos="5,6,55,26"/>
  </VerticalLayout>
</Window>)";

// A control of the program's own, with one attribute of its own.
class CBadgeUI : public CLabelUI
{
public:
    LPCTSTR GetClass() const override { return L"BadgeUI"; }
    void SetAttribute(LPCTSTR name, LPCTSTR value) override
    {
        if (CDuiString(name) == L"count")
            m_count = _wtoi(value);
        else
            CLabelUI::SetAttribute(name, value);
    }
    int m_count = 0;
};

class BadgeCallback final : public IDialogBuilderCallback
{
public:
    CControlUI* CreateControl(LPCTSTR pstrClass) override
    {
        asked.push_back(pstrClass);
        return CDuiString(pstrClass).CompareNoCase(L"Badge") == 0 ? new CBadgeUI : nullptr;
    }
    std::vector<CDuiString> asked;
};

CControlUI* BuildAndLayout(CDialogBuilder& builder, CPaintManagerUI& pm, LPCTSTR file, RECT area,
                           IDialogBuilderCallback* callback = nullptr)
{
    CControlUI* root = builder.Create(file, nullptr, callback, &pm);
    if (root)
        root->SetPos(area);
    return root;
}

RECT PosOf(CPaintManagerUI& pm, CControlUI* root, LPCTSTR name)
{
    CControlUI* control = pm.FindSubControlByName(root, name);
    return control ? control->GetPos() : RECT{-1, -1, -1, -1};
}

void ExpectRect(const RECT& r, int l, int t, int rr, int b)
{
    EXPECT_EQ(r.left, l);
    EXPECT_EQ(r.top, t);
    EXPECT_EQ(r.right, rr);
    EXPECT_EQ(r.bottom, b);
}
} // namespace

TEST(DialogBuilder, LaysOutNestedLayoutsWithFixedStretchAndPadding)
{
    uitest::ScopedSkinZip skin({{"main.xml", kLayoutSkin}});
    ASSERT_TRUE(skin.ok());
    CPaintManagerUI pm;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(BuildAndLayout(builder, pm, L"main.xml", RECT{0, 0, 400, 300}));
    ASSERT_TRUE(root);

    // Column: inset 10, title 40, two stretch bodies, button 30 (default height), padding 5.
    ExpectRect(PosOf(pm, root.get(), L"title"), 10, 10, 390, 50);
    // 280 high inside; 40 + 30 fixed + 3 x 5 padding leaves 195 for two bodies.
    ExpectRect(PosOf(pm, root.get(), L"body"), 10, 55, 390, 152);
    ExpectRect(PosOf(pm, root.get(), L"body2"), 10, 157, 390, 255);
    ExpectRect(PosOf(pm, root.get(), L"ok"), 10, 260, 390, 290);
    // Row: label 100 fixed, close 20 wide (30 high by default) after its top padding 10 and
    // before its right padding 10; the spacer takes the rest.
    ExpectRect(PosOf(pm, root.get(), L"caption"), 10, 10, 110, 50);
    ExpectRect(PosOf(pm, root.get(), L"spacer"), 110, 10, 360, 50);
    ExpectRect(PosOf(pm, root.get(), L"closeBtn"), 360, 20, 380, 50);
    // Float: at its pos relative to the parent's corner, outside the column.
    ExpectRect(PosOf(pm, root.get(), L"floater"), 5, 6, 55, 26);
}

TEST(DialogBuilder, AppliesWindowSettingsFontsAndDefaults)
{
    uitest::ScopedSkinZip skin({{"main.xml", kLayoutSkin}});
    CPaintManagerUI pm;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(L"main.xml", nullptr, nullptr, &pm));
    ASSERT_TRUE(root);

    EXPECT_EQ(pm.GetInitSize().cx, 400);
    EXPECT_EQ(pm.GetInitSize().cy, 300);
    EXPECT_EQ(pm.GetCaptionRect().bottom, 40);
    EXPECT_EQ(pm.GetMinInfo().cx, 320);
    EXPECT_EQ(pm.GetSizeBox().left, 4);

    const TFontInfo* title = pm.GetFontInfo(1);
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->iSize, 18);
    EXPECT_TRUE(title->bBold);
    EXPECT_EQ(pm.GetDefaultFontInfo()->iSize, 14);
    EXPECT_EQ(pm.GetFont(7), pm.GetDefaultFontInfo()->hFont) << "an unknown id falls back to the default";

    auto* caption = static_cast<CLabelUI*>(pm.FindSubControlByName(root.get(), L"caption"));
    EXPECT_EQ(caption->GetFont(), 1);
    EXPECT_EQ(caption->GetText(), L"标题");
    // The default list applies first; the element's own attributes win over it.
    auto* close = static_cast<CButtonUI*>(pm.FindSubControlByName(root.get(), L"closeBtn"));
    auto* ok = static_cast<CButtonUI*>(pm.FindSubControlByName(root.get(), L"ok"));
    EXPECT_EQ(close->GetTextColor(), 0xFF112233u);
    EXPECT_EQ(ok->GetTextColor(), 0xFF445566u);
    EXPECT_EQ(ok->GetFixedHeight(), 30);
}

TEST(DialogBuilder, CustomTagsComeFromTheCallbackAndPassUnknownAttributesToTheirBase)
{
    const char* skin = R"(<Window size="100,50"><HorizontalLayout>
        <Badge name="badge" count="7" text="new" textcolor="#FF010203" width="40"/>
        <Gadget name="unknown"><Label name="orphan"/></Gadget>
        <Label name="after"/>
      </HorizontalLayout></Window>)";
    uitest::ScopedSkinZip zip({{"custom.xml", skin}});
    CPaintManagerUI pm;
    CDialogBuilder builder;
    BadgeCallback callback;
    std::unique_ptr<CControlUI> root(builder.Create(L"custom.xml", nullptr, &callback, &pm));
    ASSERT_TRUE(root);

    auto* badge = static_cast<CBadgeUI*>(pm.FindSubControlByName(root.get(), L"badge"));
    ASSERT_NE(badge, nullptr);
    EXPECT_STREQ(badge->GetClass(), L"BadgeUI");
    EXPECT_EQ(badge->m_count, 7);
    EXPECT_EQ(badge->GetText(), L"new");
    EXPECT_EQ(badge->GetTextColor(), 0xFF010203u);
    EXPECT_EQ(badge->GetFixedWidth(), 40);
    // Standard tags never reach the callback; an unknown one is dropped with its children.
    EXPECT_EQ(callback.asked.size(), 2u);
    EXPECT_EQ(pm.FindSubControlByName(root.get(), L"orphan"), nullptr);
    EXPECT_NE(pm.FindSubControlByName(root.get(), L"after"), nullptr);
}

TEST(DialogBuilder, RebuildsFromTheKeptMarkupWithoutReadingAgain)
{
    CPaintManagerUI pm;
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> first;
    {
        uitest::ScopedSkinZip zip({{"Row.xml", R"(<Window><HorizontalLayout name="row" height="40">
            <Label name="cell" text="a"/></HorizontalLayout></Window>)"}});
        first.reset(builder.Create(L"row.xml", nullptr, nullptr, &pm));
    }
    ASSERT_TRUE(first);
    ASSERT_TRUE(builder.GetMarkup()->IsValid());
    // The zip is gone: only the kept markup can build the second row.
    EXPECT_EQ(CDialogBuilder().Create(L"row.xml"), nullptr);
    std::unique_ptr<CControlUI> second(builder.Create(static_cast<IDialogBuilderCallback*>(nullptr), &pm));
    ASSERT_TRUE(second);
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(second->GetName(), L"row");
    EXPECT_EQ(second->GetFixedHeight(), 40);
}

TEST(DialogBuilder, FailsCleanlyOnBrokenOrEmptySkins)
{
    uitest::ScopedSkinZip zip({{"broken.xml", "<Window><VerticalLayout>"}, {"empty.xml", "<Window/>"}});
    CDialogBuilder builder;
    EXPECT_EQ(builder.Create(L"broken.xml"), nullptr);
    EXPECT_FALSE(builder.GetMarkup()->IsValid());
    EXPECT_EQ(builder.Create(static_cast<IDialogBuilderCallback*>(nullptr)), nullptr)
        << "no markup kept from a failed parse";
    EXPECT_EQ(builder.Create(L"empty.xml"), nullptr);
    EXPECT_EQ(builder.Create(L"missing.xml"), nullptr);
    // Markup given directly needs no skin source.
    std::unique_ptr<CControlUI> label(builder.Create(L"<Label name=\"x\" text=\"hi\"/>"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->GetText(), L"hi");
}

TEST(SkinZip, FindsEntriesWithoutCaseAndWithEitherSeparatorButRefusesClimbing)
{
    const std::string zipBytes = uitest::MakeZip({{"Images/Btn.PNG", "png"},
                                                  {"../evil.xml", "<Label/>"},
                                                  {"sub/../../x.txt", "x"},
                                                  {"/abs.txt", "a"},
                                                  {"licence.txt", "许可"}});
    CSkinZip zip;
    ASSERT_TRUE(zip.Open(zipBytes.data(), zipBytes.size()));
    std::vector<BYTE> data;
    EXPECT_TRUE(zip.Read(L"images\\btn.png", data));
    EXPECT_EQ(std::string(data.begin(), data.end()), "png");
    EXPECT_TRUE(zip.Read(L"IMAGES/BTN.png", data));
    EXPECT_FALSE(zip.Read(L"../evil.xml", data));
    EXPECT_FALSE(zip.Read(L"evil.xml", data));
    EXPECT_FALSE(zip.Read(L"images/../licence.txt", data));
    EXPECT_FALSE(zip.Contains(L"/abs.txt"));
    EXPECT_EQ(zip.EntryCount(), 2u) << "climbing and absolute entries are not indexed";

    CSkinZip notZip;
    EXPECT_FALSE(notZip.Open("not a zip", 9));
}

TEST(SkinZip, LoadBufferReadsAnyFileOfTheSkin)
{
    uitest::ScopedSkinZip zip({{"licence.txt", "许可协议"}});
    std::vector<BYTE> data;
    ASSERT_TRUE(CRenderEngine::LoadBuffer(L"Licence.txt", data));
    EXPECT_EQ(std::string(data.begin(), data.end()), "许可协议");
    EXPECT_FALSE(CRenderEngine::LoadBuffer(L"nothing.txt", data));
}

TEST(SkinFolder, ReadsFromTheResourcePathWhenNoZipIsSetAndStaysInside)
{
    testsupport::TempDir dir("skin");
    testsupport::WriteFile(dir / "a.xml", "<Label name=\"folder\"/>");
    testsupport::WriteFile(dir.path() + "/../outside.xml", "<Label/>");
    CPaintManagerUI::SetResourceZip(L"");
    CPaintManagerUI::SetResourcePath(dir.wpath().c_str());
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> label(builder.Create(L"a.xml"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->GetName(), L"folder");
    EXPECT_EQ(builder.Create(L"..\\outside.xml"), nullptr);
}
