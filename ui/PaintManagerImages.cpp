// Skin images, decoded once per manager and named without regard to case. A picture of the disk
// (an absolute path, such as a downloaded avatar) is read again when its file changed.

#include "ui/PaintManagerParts.h"

#include "ui/RenderEngine.h"

#include "platform/Utf.h"

#include <sys/stat.h>

namespace DuiLib
{
namespace
{
// What tells one version of a file of the disk from another (length, times, identity); empty
// for skin names and missing files.
std::string FileStamp(LPCTSTR bitmap)
{
    if (bitmap == nullptr || bitmap[0] != L'/')
        return {};
    struct stat info
    {
    };
    if (::stat(platform::ToUtf8(bitmap).c_str(), &info) != 0)
        return {};
    return std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) + "." +
           std::to_string(info.st_mtim.tv_nsec) + ":" + std::to_string(info.st_ctim.tv_nsec) + ":" +
           std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}
} // namespace

const TImageInfo* CPaintManagerUI::GetImageEx(LPCTSTR bitmap)
{
    const CDuiString key = LowerCase(bitmap);
    auto found = m_images.find(key);
    std::string stamp = FileStamp(bitmap);
    if (found != m_images.end() && found->second.fileStamp != stamp)
    {
        CRenderEngine::FreeImage(found->second);
        m_images.erase(found);
        found = m_images.end();
    }
    if (found == m_images.end())
    {
        // A missing image is remembered too, so that painting does not look for it again.
        TImageInfo image;
        CRenderEngine::LoadImage(bitmap, image);
        image.fileStamp = std::move(stamp);
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
