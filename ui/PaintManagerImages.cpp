// Skin images, decoded once per manager and named without regard to case.

#include "PaintManagerParts.h"

#include "RenderEngine.h"

namespace DuiLib
{
const TImageInfo* CPaintManagerUI::GetImageEx(LPCTSTR bitmap)
{
    const CDuiString key = LowerCase(bitmap);
    auto found = m_images.find(key);
    if (found == m_images.end())
    {
        // A missing image is remembered too, so that painting does not look for it again.
        TImageInfo image;
        CRenderEngine::LoadImage(bitmap, image);
        found = m_images.emplace(key, image).first;
    }
    return found->second.surface ? &found->second : nullptr;
}

void CPaintManagerUI::RemoveAllImages()
{
    for (auto& [name, image] : m_images)
        CRenderEngine::FreeImage(image);
    m_images.clear();
}
} // namespace DuiLib
