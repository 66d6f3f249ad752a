#include "main/SettingDlg.h"

#include "common/base/StringHelper.h"
#include "main/MagickDriver.h"

#include <algorithm>
#include <climits>
#include <cwctype>
#include <string>

using namespace DuiLib;

namespace
{
constexpr int kMinResize = 10;
constexpr int kMinQuality = 5;

CDuiString Number(int value)
{
    return std::to_wstring(value).c_str();
}

CDuiString Percent(int value)
{
    return (std::to_wstring(value) + L"%").c_str();
}

// side x percent / 100, truncated; never overflows for any side ImageMagick reports.
int Scaled(int side, int percent)
{
    return static_cast<int>(static_cast<long long>(side) * percent / 100);
}

// The leading decimal digits of an edit's text; 0 when there are none, INT_MAX at most.
int ReadNumber(LPCTSTR text)
{
    long long value = 0;
    for (const wchar_t* p = text; p != nullptr && std::iswdigit(static_cast<wint_t>(*p)); ++p)
        value = std::min<long long>(value * 10 + (*p - L'0'), INT_MAX);
    return static_cast<int>(value);
}

bool IsFrom(const TNotifyUI& msg, LPCTSTR name)
{
    return msg.pSender != nullptr && msg.pSender->GetName().CompareNoCase(name) == 0;
}
} // namespace

DUI_BEGIN_MESSAGE_MAP(CSettingDlg, WindowImplBase)
DUI_ON_MSGTYPE(DUI_MSGTYPE_CLICK, CSettingDlg::OnClick)
DUI_END_MESSAGE_MAP()

LPCTSTR CSettingDlg::GetWindowClassName() const
{
    return L"SettingDlg";
}

CDuiString CSettingDlg::GetSkinFile()
{
    return L"SettingDlg.xml";
}

void CSettingDlg::InitWindow()
{
    KeepFixedSize();
    OnCreateShadow();
    FindControls();
    if (m_pWidthEdit == nullptr || m_pHeightEdit == nullptr || m_pResizeSlider == nullptr ||
        m_pQualitySlider == nullptr || m_pResizeRate == nullptr || m_pQualityRate == nullptr)
        return;
    m_pWidthEdit->SetNumberOnly(true);
    m_pHeightEdit->SetNumberOnly(true);
    ReadImageSize();

    ShowSize(m_item.m_nResize);
    m_pResizeSlider->SetValue(m_item.m_nResize);
    m_pQualitySlider->SetValue(m_item.m_nQuality);
    m_pResizeRate->SetText(Percent(m_item.m_nResize));
    m_pQualityRate->SetText(Percent(m_item.m_nQuality));
    m_bInited = true;
}

void CSettingDlg::FindControls()
{
    m_pCloseBtn = m_PaintManager.FindControl(L"closeBtn");
    m_pOkBtn = m_PaintManager.FindControl(L"btnOk");
    m_pWidthEdit = dynamic_cast<CEditUI*>(m_PaintManager.FindControl(L"width_edit"));
    m_pHeightEdit = dynamic_cast<CEditUI*>(m_PaintManager.FindControl(L"height_edit"));
    m_pResizeSlider = dynamic_cast<CSliderUI*>(m_PaintManager.FindControl(L"slider_resize"));
    m_pQualitySlider = dynamic_cast<CSliderUI*>(m_PaintManager.FindControl(L"slider_quality"));
    m_pResizeRate = m_PaintManager.FindControl(L"resize_rate");
    m_pQualityRate = m_PaintManager.FindControl(L"quality_rate");
}

void CSettingDlg::ReadImageSize()
{
    int width = 0;
    int height = 0;
    std::string error;
    // A failed query, or an answer that is not one size, leaves the size unknown.
    if (!GetImageSize(WideToAnsi(m_item.m_strPath), width, height, error) || width <= 0 || height <= 0)
        width = height = 0;
    m_nImageWidth = width;
    m_nImageHeight = height;
}

void CSettingDlg::ShowSize(int percent)
{
    m_pWidthEdit->SetText(Number(Scaled(m_nImageWidth, percent)));
    m_pHeightEdit->SetText(Number(Scaled(m_nImageHeight, percent)));
}

void CSettingDlg::OnResizeChanged()
{
    int value = m_pResizeSlider->GetValue();
    if (value < kMinResize)
    {
        m_pResizeSlider->SetValue(kMinResize);
        value = kMinResize;
    }
    m_pResizeRate->SetText(Percent(value));
    m_item.m_nResize = value;
    ShowSize(value);
}

void CSettingDlg::OnQualityChanged()
{
    int value = m_pQualitySlider->GetValue();
    if (value < kMinQuality)
    {
        m_pQualitySlider->SetValue(kMinQuality);
        value = kMinQuality;
    }
    m_pQualityRate->SetText(Percent(value));
}

void CSettingDlg::OnSizeEdited(CControlUI* edit, int side, CControlUI* other, int otherSide)
{
    if (side <= 0)
    {
        // Without the image's size there is no ratio to follow: the edits keep showing the
        // size for the slider's value (0 x 0) and the slider stays where it is.
        ShowSize(m_pResizeSlider->GetValue());
        return;
    }
    const int lower = static_cast<int>(side * 0.1);
    const int value = std::min(std::max(ReadNumber(edit->GetText()), lower), side);
    const float percent = static_cast<float>(value * 100.0 / static_cast<double>(static_cast<float>(side)));
    const int rounded = static_cast<int>(percent);
    m_pResizeSlider->SetValue(rounded);
    m_pResizeRate->SetText(Percent(rounded));
    edit->SetText(Number(value));
    other->SetText(Number(static_cast<int>(static_cast<float>(otherSide) * percent / 100.0f)));
}

void CSettingDlg::Notify(TNotifyUI& msg)
{
    if (m_bInited && msg.sType == DUI_MSGTYPE_VALUECHANGED)
    {
        if (IsFrom(msg, L"slider_resize"))
            OnResizeChanged();
        else if (IsFrom(msg, L"slider_quality"))
            OnQualityChanged();
    }
    else if (m_bInited && msg.sType == DUI_MSGTYPE_KILLFOCUS)
    {
        if (IsFrom(msg, L"width_edit"))
            OnSizeEdited(m_pWidthEdit, m_nImageWidth, m_pHeightEdit, m_nImageHeight);
        else if (IsFrom(msg, L"height_edit"))
            OnSizeEdited(m_pHeightEdit, m_nImageHeight, m_pWidthEdit, m_nImageWidth);
    }
    WindowImplBase::Notify(msg);
}

void CSettingDlg::OnClick(TNotifyUI& msg)
{
    if (msg.pSender == nullptr)
        return;
    const CDuiString name = msg.pSender->GetName();
    if (name == L"closeBtn")
        Close(0);
    else if (name == L"btnOk" && m_pResizeSlider != nullptr && m_pQualitySlider != nullptr)
    {
        m_item.m_nResize = m_pResizeSlider->GetValue();
        m_item.m_nQuality = m_pQualitySlider->GetValue();
        Close(2);
    }
}

LRESULT CSettingDlg::OnKeyDown(UINT, WPARAM wParam, LPARAM, BOOL& bHandled)
{
    bHandled = wParam == static_cast<WPARAM>(VK_RETURN) ? TRUE : FALSE;
    return 0;
}

LRESULT CSettingDlg::HandleCustomMessage(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled)
{
    bHandled = FALSE;
    if (uMsg == WM_TIMER)
        return OnTimer(uMsg, wParam, lParam, bHandled);
    return 0;
}

LRESULT CSettingDlg::OnTimer(UINT, WPARAM, LPARAM, BOOL& bHandled)
{
    // The framework's control timers go on to the paint manager.
    bHandled = FALSE;
    return 0;
}
