#pragma once
// The owner of one plain value that must be given back (a descriptor, a handle): move-only,
// closed when it goes out of scope. Traits gives the empty value, the validity test and the
// close. Use it through UniqueFd (platform/UniqueFd.h) and UniqueHandle (platform/UniqueHandle.h).

#include <utility>

namespace platform
{
template <class Traits> class UniqueValue
{
public:
    using Value = typename Traits::Value;

    UniqueValue() noexcept = default;
    explicit UniqueValue(Value value) noexcept : m_value(value) {}
    UniqueValue(UniqueValue&& other) noexcept : m_value(other.release()) {}
    UniqueValue& operator=(UniqueValue&& other) noexcept
    {
        reset(other.release());
        return *this;
    }
    UniqueValue(const UniqueValue&) = delete;
    UniqueValue& operator=(const UniqueValue&) = delete;
    ~UniqueValue() { reset(); }

    Value get() const noexcept { return m_value; }
    explicit operator bool() const noexcept { return Traits::IsValid(m_value); }

    // Gives the value up without closing it.
    Value release() noexcept { return std::exchange(m_value, Traits::Empty()); }
    // Closes what is held (a close failure is not reported) and takes value instead.
    void reset(Value value = Traits::Empty()) noexcept
    {
        const Value old = std::exchange(m_value, value);
        if (Traits::IsValid(old))
            Traits::Close(old);
    }
    // Closes now and says whether the close succeeded: where it matters, as for a written file
    // whose close reports a late write error. Nothing held counts as success.
    bool Close() noexcept
    {
        const Value old = release();
        return !Traits::IsValid(old) || Traits::Close(old);
    }

private:
    Value m_value = Traits::Empty();
};
} // namespace platform
