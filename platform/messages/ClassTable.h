#pragma once
// The registered window classes of the process, by case-insensitive name and by atom.

#include "platform/Window.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace platform
{
struct WindowClass
{
    ATOM atom = 0;
    std::wstring name;
    // lpszClassName points into name; lpszMenuName is not kept.
    WNDCLASSEXW info{};
};

class ClassTable
{
public:
    static ClassTable& Instance();

    // 0 with the last error set when the class cannot be registered.
    ATOM Register(const WNDCLASSEXW& wc);
    // inUse tells whether windows of the class still exist.
    BOOL Unregister(LPCWSTR name, bool (*inUse)(ATOM));
    // nullptr with ERROR_CLASS_DOES_NOT_EXIST.
    std::shared_ptr<const WindowClass> Find(LPCWSTR nameOrAtom);

private:
    ClassTable() = default;
    std::shared_ptr<const WindowClass> FindLocked(LPCWSTR nameOrAtom) const;

    std::mutex m_lock;
    std::vector<std::shared_ptr<const WindowClass>> m_classes;
    ATOM m_nextAtom = 0xC000;
};
} // namespace platform
