#include "platform/shell/OpenFileResult.h"

#include "platform/PathParts.h"

#include <algorithm>
#include <cwchar>

namespace platform
{
namespace
{
// True when path lies below folder (folder "/" holds every absolute path).
bool IsBelow(const std::wstring& path, const std::wstring& folder)
{
    if (folder == L"/")
        return !path.empty() && path[0] == L'/';
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 &&
           path[folder.size()] == L'/';
}

std::wstring RelativeName(const std::wstring& path, const std::wstring& folder)
{
    return path.substr(folder == L"/" ? 1 : folder.size() + 1);
}

void CopyTitle(OPENFILENAMEW& ofn, const std::wstring& name)
{
    if (ofn.lpstrFileTitle != nullptr && name.size() < ofn.nMaxFileTitle)
        std::wmemcpy(ofn.lpstrFileTitle, name.c_str(), name.size() + 1);
}
} // namespace

std::wstring OpenFileResult::CommonFolder(const std::vector<std::wstring>& paths)
{
    std::wstring folder = paths.empty() ? L"." : ParentFolder(paths.front());
    while (
        folder != L"." && folder != L"/" &&
        !std::all_of(paths.begin(), paths.end(), [&](const std::wstring& p) { return IsBelow(p, folder); }))
        folder = ParentFolder(folder);
    // Names without a folder ("." reached) share none: the answer's folder part stays empty.
    return folder == L"." ? std::wstring() : folder;
}

OpenFileResult::Layout OpenFileResult::OneFile(const std::wstring& path)
{
    Layout layout;
    layout.text = path + L'\0' + L'\0';
    layout.nameOffset = path.rfind(L'/') + 1;
    layout.firstName = path.substr(layout.nameOffset);
    const size_t dot = layout.firstName.rfind(L'.');
    layout.extensionOffset = dot == std::wstring::npos ? 0 : layout.nameOffset + dot + 1;
    return layout;
}

OpenFileResult::Layout OpenFileResult::SeveralFiles(const std::vector<std::wstring>& paths)
{
    Layout layout;
    const std::wstring folder = CommonFolder(paths);
    layout.text = folder + L'\0';
    layout.nameOffset = layout.text.size();
    for (const std::wstring& path : paths)
        layout.text += RelativeName(path, folder) + L'\0';
    layout.text += L'\0';
    layout.firstName = RelativeName(paths.front(), folder);
    return layout;
}

DWORD OpenFileResult::Write(OPENFILENAMEW& ofn, const std::vector<std::wstring>& paths)
{
    const bool several = paths.size() > 1 && (ofn.Flags & OFN_ALLOWMULTISELECT) != 0;
    const bool absolute =
        std::all_of(paths.begin(), paths.end(), [](const auto& p) { return !p.empty() && p[0] == L'/'; });
    if (paths.empty() || !absolute)
        return FNERR_INVALIDFILENAME;
    const Layout layout = several ? SeveralFiles(paths) : OneFile(paths.front());
    // Without multiple selection one closing zero is all a caller may expect room for.
    const size_t needed = layout.text.size() - (several || (ofn.Flags & OFN_ALLOWMULTISELECT) != 0 ? 0 : 1);
    if (ofn.lpstrFile == nullptr || needed > ofn.nMaxFile)
        return FNERR_BUFFERTOOSMALL;
    if (layout.nameOffset > 0xFFFF || layout.extensionOffset > 0xFFFF)
        return FNERR_BUFFERTOOSMALL;
    std::wmemcpy(ofn.lpstrFile, layout.text.data(), needed);
    ofn.nFileOffset = static_cast<WORD>(layout.nameOffset);
    ofn.nFileExtension = static_cast<WORD>(layout.extensionOffset);
    CopyTitle(ofn, layout.firstName);
    return 0;
}
} // namespace platform
