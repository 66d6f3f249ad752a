#include "MainControls.h"

#include "AccProgress.h"
#include "AnimImg.h"
#include "CircleImageUI.h"
#include "LineListUI.h"
#include "LinkButtonUI.h"
#include "ScrollTextUI.h"
#include "WkeWebkitUI.h"

#include "ControlFactory.h"

namespace
{
template <typename T> DuiLib::CControlUI* Make()
{
    return new T();
}

// At load time, before any skin is built.
[[maybe_unused]] const bool g_registered = RegisterMainControls();
} // namespace

bool RegisterMainControls()
{
    static const bool registered = [] {
        DuiLib::CControlFactory& factory = DuiLib::CControlFactory::GetInstance();
        factory.RegisterControl(L"LineList", &Make<CLineListUI>);
        factory.RegisterControl(L"LinkButton", &Make<CLinkButtonUI>);
        factory.RegisterControl(L"wkeWebkit", &Make<CWkeWebkitUI>);
        factory.RegisterControl(L"AnimImg", &Make<CAnimImg>);
        factory.RegisterControl(L"AccProgress", &Make<CAccProgress>);
        factory.RegisterControl(L"CircleImage", &Make<CCircleImageUI>);
        factory.RegisterControl(L"ScrollTextUI", &Make<CScrollTextUI>);
        return true;
    }();
    return registered;
}
