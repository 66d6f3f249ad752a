#pragma once
// Turns a Windows face name into the pango family list that renders it on this machine.

#include <mutex>
#include <string>
#include <unordered_map>

namespace platform
{
class FontFaces
{
public:
    static FontFaces& Instance();

    // "<face>,<CJK sans>" when the face is installed, else the CJK sans font alone: the Windows
    // UI faces are rarely installed here, and a Latin-only substitute would lose Chinese text.
    std::string FamilyList(const std::wstring& face);
    // The installed CJK-capable sans family used for every missing face.
    const std::string& CjkSans();

private:
    FontFaces() = default;
    static bool IsInstalled(const std::string& family);

    std::mutex m_lock;
    std::unordered_map<std::wstring, std::string> m_families;
    std::string m_cjkSans;
};
} // namespace platform
