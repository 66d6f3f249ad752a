#include "main/MainControls.h"

#include "main/AccProgress.h"
#include "main/AnimImg.h"
#include "main/CircleImageUI.h"
#include "main/LineListUI.h"
#include "main/LinkButtonUI.h"
#include "main/ScrollTextUI.h"
#include "main/WkeWebkitUI.h"

#include "ui/ControlFactory.h"

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
