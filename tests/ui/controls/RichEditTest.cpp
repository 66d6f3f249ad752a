#include "tests/support/ControlHost.h"

#include "ui/RichEditUI.h"
#include "ui/RtfReader.h"

#include <gtest/gtest.h>

#include <string>

using namespace DuiLib;

namespace
{
std::wstring Rtf(const std::string& document)
{
    return CRtfReader::ToText(document.data(), document.size());
}
} // namespace

TEST(RtfReaderTest, TextParagraphsAndEscapes)
{
    EXPECT_EQ(Rtf("plain text"), L"plain text");
    EXPECT_EQ(Rtf("{\\rtf1\\ansi Hello\\par World\\line x\\tab y}"), L"Hello\nWorld\nx\ty");
    EXPECT_EQ(Rtf("{\\rtf1 a\\{b\\}c\\\\d}"), L"a{b}c\\d");
    EXPECT_EQ(Rtf("{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\'ce\\'c4}"), L"中文");
    EXPECT_EQ(Rtf("{\\rtf1\\ansi\\ansicpg936 \\'d6\\'d0\\par \\'ce\\'c4}"), L"中\n文");
    EXPECT_EQ(Rtf("{\\rtf1\\uc1 \\u20013?\\u25991?}"), L"中文");
    EXPECT_EQ(Rtf("{\\rtf1\\uc2 \\u20013\\'d6\\'d0!}"), L"中!") << "the fallback bytes are skipped";
    EXPECT_EQ(Rtf("{\\rtf1 \\u-10179?\\u-8704?}"), std::wstring(1, static_cast<wchar_t>(0x1F600)));
    EXPECT_EQ(Rtf("{\\rtf1 a\\b bold\\b0  b}"), L"abold b");
}

TEST(RtfReaderTest, NonTextGroupsAreSkipped)
{
    const std::string document = "{\\rtf1\\ansi\\ansicpg936{\\fonttbl{\\f0\\fnil\\fcharset134 SimSun;}}"
                                 "{\\colortbl ;\\red255\\green0\\blue0;}{\\stylesheet{\\s0 Normal;}}"
                                 "{\\info{\\title secret}{\\author someone}}{\\*\\generator Writer;}"
                                 "{\\*\\unknown {nested {deeper}} text}\\pard Licence{\\b  terms}\\par}";
    EXPECT_EQ(Rtf(document), L"Licence terms\n");
}

TEST(RtfReaderTest, HostileInputNeverBreaksTheReader)
{
    std::string deep(100000, '{');
    deep += "x";
    deep += std::string(100000, '}');
    EXPECT_EQ(Rtf(deep), L"");
    EXPECT_EQ(Rtf("{\\rtf1 \\u99999999999999999? \\u-99999999999?}"), L"\xFFFD \xFFFD");
    EXPECT_EQ(Rtf("{\\rtf1 \\'zz\\'4"), L"zz4");
    EXPECT_EQ(Rtf("}}}}{\\"), L"");
    EXPECT_EQ(Rtf("{\\bin999999 abc}"), L"");
    EXPECT_EQ(Rtf(std::string("a\0b", 3)), std::wstring(L"a\0b", 3));
}

TEST(RichEditTest, StreamedRtfIsWrappedAndScrolls)
{
    ControlHost host(300, 200);
    host.Load(L"<VerticalLayout><RichEdit name=\"editProtocal\" vscrollbar=\"true\" textpadding=\"5,5,5,5\"/>"
              L"</VerticalLayout>");
    auto* edit = static_cast<CRichEditUI*>(host.Manager().FindControl(L"editProtocal"));
    ASSERT_NE(edit, nullptr);
    std::string document = "{\\rtf1\\ansi\\ansicpg936 ";
    for (int i = 0; i < 60; ++i)
        document += "\\'d0\\'ed\\'bf\\'c9\\'d0\\'ad\\'d2\\'e9 licence paragraph \\par ";
    document += "}";
    struct Source
    {
        const std::string* data;
        std::size_t at;
    } source{&document, 0};
    EDITSTREAM stream{reinterpret_cast<DWORD_PTR>(&source), 0,
                      [](DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* read) {
                          auto* s = reinterpret_cast<Source*>(cookie);
                          const std::size_t n =
                              std::min<std::size_t>(static_cast<std::size_t>(cb), s->data->size() - s->at);
                          std::copy_n(s->data->data() + s->at, n, buffer);
                          s->at += n;
                          *read = static_cast<LONG>(n);
                          return DWORD{0};
                      }};
    EXPECT_GT(edit->StreamIn(SF_RTF | SFF_SELECTION, stream), 0);
    EXPECT_EQ(edit->GetText().Left(4), CDuiString(L"许可协议"));
    host.Paint();
    EXPECT_GT(edit->GetContentHeight(), 60 * 10);
    EXPECT_EQ(edit->GetScrollRange(), edit->GetContentHeight() - 190);
    host.Wheel(100, 100, 1);
    EXPECT_GT(edit->GetScrollPos(), 0);
    edit->SetScrollPos(1 << 30);
    EXPECT_EQ(edit->GetScrollPos(), edit->GetScrollRange());

    edit->SetText(L"short");
    EXPECT_EQ(edit->GetScrollRange(), 0);
    EXPECT_EQ(edit->GetScrollPos(), 0);
}
