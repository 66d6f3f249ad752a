#include "platform/messages/ClassTable.h"

#include "platform/WinError.h"

#include <algorithm>
#include <cwctype>

namespace platform
{
namespace
{
// Atoms travel as "names" below 0x10000 (MAKEINTATOM).
bool IsAtom(LPCWSTR name)
{
    return reinterpret_cast<ULONG_PTR>(name) < 0x10000;
}

bool SameName(const std::wstring& a, LPCWSTR b)
{
    const std::wstring_view other(b);
    return a.size() == other.size() &&
           std::equal(a.begin(), a.end(), other.begin(), [](wchar_t x, wchar_t y) {
               return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
           });
}
} // namespace

ClassTable& ClassTable::Instance()
{
    static ClassTable* const instance = new ClassTable;
    return *instance;
}

std::shared_ptr<const WindowClass> ClassTable::FindLocked(LPCWSTR nameOrAtom) const
{
    if (nameOrAtom == nullptr)
        return nullptr;
    auto it = std::find_if(m_classes.begin(), m_classes.end(), [&](const auto& c) {
        return IsAtom(nameOrAtom) ? c->atom == reinterpret_cast<ULONG_PTR>(nameOrAtom)
                                  : SameName(c->name, nameOrAtom);
    });
    return it == m_classes.end() ? nullptr : *it;
}

ATOM ClassTable::Register(const WNDCLASSEXW& wc)
{
    if (wc.cbSize != sizeof(WNDCLASSEXW) || wc.lpfnWndProc == nullptr || wc.lpszClassName == nullptr ||
        IsAtom(wc.lpszClassName) || wc.lpszClassName[0] == L'\0' || wc.cbWndExtra < 0 || wc.cbClsExtra < 0)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard lock(m_lock);
    if (FindLocked(wc.lpszClassName) || m_nextAtom == 0xFFFF)
    {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto added = std::make_shared<WindowClass>();
    added->atom = m_nextAtom++;
    added->name = wc.lpszClassName;
    added->info = wc;
    added->info.lpszClassName = added->name.c_str();
    added->info.lpszMenuName = nullptr;
    m_classes.push_back(added);
    return added->atom;
}

BOOL ClassTable::Unregister(LPCWSTR name, bool (*inUse)(ATOM))
{
    std::lock_guard lock(m_lock);
    auto found = FindLocked(name);
    if (!found)
    {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (inUse(found->atom))
    {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    std::erase(m_classes, found);
    return TRUE;
}

std::shared_ptr<const WindowClass> ClassTable::Find(LPCWSTR nameOrAtom)
{
    std::lock_guard lock(m_lock);
    auto found = FindLocked(nameOrAtom);
    if (!found)
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return found;
}
} // namespace platform
