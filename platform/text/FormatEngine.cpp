#include "platform/text/FormatEngine.h"

#include "platform/Utf.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string_view>

namespace platform::format
{
namespace
{
constexpr int kMaxFloatPrecision = 1024;

// Collects output up to a limit and remembers whether anything was cut.
template <class Ch> class FormatOutput
{
public:
    explicit FormatOutput(std::size_t limit) : m_limit(limit) {}

    void Repeat(Ch c, std::size_t count)
    {
        const std::size_t room = m_limit - m_result.text.size();
        if (count > room)
            m_result.truncated = true;
        m_result.text.append(std::min(count, room), c);
    }
    void Append(std::basic_string_view<Ch> text)
    {
        const std::size_t room = m_limit - m_result.text.size();
        if (text.size() > room)
            m_result.truncated = true;
        m_result.text.append(text.substr(0, room));
    }
    void AppendAscii(std::string_view text)
    {
        for (char c : text)
            Repeat(static_cast<Ch>(static_cast<unsigned char>(c)), 1);
    }
    bool Full() const { return m_result.text.size() >= m_limit && m_result.truncated; }
    FormatResult<Ch> Take() { return std::move(m_result); }

private:
    std::size_t m_limit;
    FormatResult<Ch> m_result;
};

// Owns a copy of the caller's argument list so that the caller's list stays untouched.
class ArgReader
{
public:
    explicit ArgReader(va_list args) { va_copy(m_args, args); }
    ArgReader(const ArgReader&) = delete;
    ArgReader& operator=(const ArgReader&) = delete;
    ~ArgReader() { va_end(m_args); }

    template <class T> T Next() { return va_arg(m_args, T); }

private:
    va_list m_args;
};

int ReadNumber(const auto* text, std::size_t& pos)
{
    long long value = 0;
    while (text[pos] >= '0' && text[pos] <= '9')
    {
        value = std::min<long long>(value * 10 + (text[pos] - '0'), INT_MAX);
        ++pos;
    }
    return static_cast<int>(value);
}

template <class Ch> void ParseFlags(const Ch* text, std::size_t& pos, FormatSpec& spec)
{
    for (;; ++pos)
    {
        switch (text[pos])
        {
        case '-':
            spec.left = true;
            break;
        case '+':
            spec.plus = true;
            break;
        case ' ':
            spec.space = true;
            break;
        case '#':
            spec.alternate = true;
            break;
        case '0':
            spec.zero = true;
            break;
        default:
            return;
        }
    }
}

template <class Ch> bool StartsWith(const Ch* text, std::size_t pos, const char* literal)
{
    for (; *literal != 0; ++literal, ++pos)
    {
        if (text[pos] != static_cast<Ch>(*literal))
            return false;
    }
    return true;
}

template <class Ch> void ParseLength(const Ch* text, std::size_t& pos, FormatSpec& spec)
{
    struct Prefix
    {
        const char* text;
        Length length;
    };
    static constexpr Prefix prefixes[] = {
        {"I64", Length::Int64}, {"I32", Length::Long}, {"hh", Length::Char},   {"ll", Length::Int64},
        {"h", Length::Short},   {"l", Length::Long},   {"I", Length::Pointer}, {"z", Length::Pointer},
        {"t", Length::Pointer}, {"j", Length::Int64},  {"w", Length::Wide},    {"L", Length::Double},
    };
    for (const Prefix& prefix : prefixes)
    {
        if (StartsWith(text, pos, prefix.text))
        {
            spec.length = prefix.length;
            pos += std::strlen(prefix.text);
            return;
        }
    }
}

// Characters are promoted to int in a variadic call; a wide one arrives as wint_t.
bool IsAsciiConversion(wchar_t c)
{
    return c > 0 && c < 0x80;
}
} // namespace

template <class Ch> FormatSpec ParseFormatSpec(const Ch* text)
{
    FormatSpec spec;
    std::size_t pos = 0;
    ParseFlags(text, pos, spec);
    if (text[pos] == '*')
    {
        spec.widthFromArgs = true;
        ++pos;
    }
    else
    {
        spec.width = ReadNumber(text, pos);
    }
    if (text[pos] == '.')
    {
        ++pos;
        if (text[pos] == '*')
        {
            spec.precisionFromArgs = true;
            ++pos;
        }
        else
        {
            spec.precision = ReadNumber(text, pos);
        }
    }
    ParseLength(text, pos, spec);
    if (text[pos] != 0)
    {
        const auto c = static_cast<wchar_t>(text[pos]);
        spec.conversion = IsAsciiConversion(c) ? static_cast<char>(c) : '?';
        ++pos;
    }
    spec.consumed = pos;
    return spec;
}

namespace
{
template <class Ch> class Formatter
{
public:
    Formatter(va_list args, std::size_t limit) : m_args(args), m_out(limit) {}

    FormatResult<Ch> Run(const Ch* format)
    {
        if (format == nullptr)
            return m_out.Take();
        std::size_t pos = 0;
        while (format[pos] != 0 && !m_out.Full())
        {
            if (format[pos] != '%')
            {
                m_out.Repeat(format[pos++], 1);
                continue;
            }
            FormatSpec spec = ParseFormatSpec(format + pos + 1);
            pos += 1 + spec.consumed;
            if (spec.conversion == 0)
                break;
            Convert(spec, format[pos - 1]);
        }
        return m_out.Take();
    }

private:
    void ResolveStars(FormatSpec& spec)
    {
        if (spec.widthFromArgs)
        {
            const int width = m_args.Next<int>();
            spec.left = spec.left || width < 0;
            spec.width = width == INT_MIN ? INT_MAX : std::abs(width);
        }
        if (spec.precisionFromArgs)
        {
            const int precision = m_args.Next<int>();
            spec.precision = precision < 0 ? -1 : precision;
        }
    }

    void Convert(FormatSpec& spec, Ch raw)
    {
        ResolveStars(spec);
        switch (spec.conversion)
        {
        case '%':
            m_out.Repeat('%', 1);
            break;
        case 'd':
        case 'i':
            PutSigned(spec);
            break;
        case 'u':
        case 'x':
        case 'X':
        case 'o':
            PutUnsigned(spec);
            break;
        case 'e':
        case 'E':
        case 'f':
        case 'F':
        case 'g':
        case 'G':
        case 'a':
        case 'A':
            PutFloat(spec);
            break;
        case 'p':
            PutPointer(spec);
            break;
        case 'c':
        case 'C':
            PutChar(spec);
            break;
        case 's':
        case 'S':
            PutString(spec);
            break;
        case 'n':
            m_args.Next<void*>(); // never written to: the classic format-string hole
            break;
        default:
            m_out.Repeat(raw, 1); // an unknown conversion prints its letter, as wsprintf does
            break;
        }
    }

    // Pads `prefix` + `zeros` zero digits + `body` to the field width.
    void PutField(const FormatSpec& spec, std::string_view prefix, std::size_t zeros,
                  std::basic_string_view<Ch> body, bool zeroPadding)
    {
        const std::size_t length = prefix.size() + zeros + body.size();
        const std::size_t pad = static_cast<std::size_t>(spec.width) > length ? spec.width - length : 0;
        if (spec.left)
        {
            m_out.AppendAscii(prefix);
            m_out.Repeat('0', zeros);
            m_out.Append(body);
            m_out.Repeat(' ', pad);
            return;
        }
        if (zeroPadding)
        {
            m_out.AppendAscii(prefix);
            m_out.Repeat('0', zeros + pad);
            m_out.Append(body);
            return;
        }
        m_out.Repeat(' ', pad);
        m_out.AppendAscii(prefix);
        m_out.Repeat('0', zeros);
        m_out.Append(body);
    }

    void PutSigned(FormatSpec& spec)
    {
        long long value = 0;
        switch (spec.length)
        {
        case Length::Char:
            value = static_cast<signed char>(m_args.Next<int>());
            break;
        case Length::Short:
            value = static_cast<short>(m_args.Next<int>());
            break;
        case Length::Int64:
            value = m_args.Next<long long>();
            break;
        case Length::Pointer:
            value = m_args.Next<std::intptr_t>();
            break;
        default:
            value = m_args.Next<int>();
            break;
        }
        const bool negative = value < 0;
        const auto magnitude = negative ? 0 - static_cast<unsigned long long>(value) : value;
        const char* sign = negative ? "-" : spec.plus ? "+" : spec.space ? " " : "";
        PutDigits(spec, sign, magnitude);
    }

    void PutUnsigned(FormatSpec& spec)
    {
        unsigned long long value = 0;
        switch (spec.length)
        {
        case Length::Char:
            value = static_cast<unsigned char>(m_args.Next<unsigned>());
            break;
        case Length::Short:
            value = static_cast<unsigned short>(m_args.Next<unsigned>());
            break;
        case Length::Int64:
            value = m_args.Next<unsigned long long>();
            break;
        case Length::Pointer:
            value = m_args.Next<std::uintptr_t>();
            break;
        default:
            value = m_args.Next<unsigned>();
            break;
        }
        const char* prefix = "";
        if (spec.alternate && value != 0 && spec.conversion == 'x')
            prefix = "0x";
        else if (spec.alternate && value != 0 && spec.conversion == 'X')
            prefix = "0X";
        PutDigits(spec, prefix, value);
    }

    void PutDigits(const FormatSpec& spec, std::string_view prefix, unsigned long long value)
    {
        const char* digitSet = spec.conversion == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
        const unsigned base = spec.conversion == 'o'                               ? 8
                              : (spec.conversion == 'x' || spec.conversion == 'X') ? 16
                                                                                   : 10;
        char digits[32];
        std::size_t count = 0;
        for (unsigned long long rest = value; rest != 0; rest /= base)
            digits[sizeof digits - ++count] = digitSet[rest % base];
        if (spec.alternate && spec.conversion == 'o' && value != 0 &&
            spec.precision <= static_cast<int>(count))
            digits[sizeof digits - ++count] = '0';
        if (count == 0 && spec.precision != 0)
            digits[sizeof digits - ++count] = '0';
        const std::size_t zeros =
            spec.precision > static_cast<int>(count) ? static_cast<std::size_t>(spec.precision) - count : 0;
        std::basic_string<Ch> body(digits + sizeof digits - count, digits + sizeof digits);
        PutField(spec, prefix, zeros, body, spec.zero && !spec.left && spec.precision < 0);
    }

    void PutFloat(const FormatSpec& spec)
    {
        const double value = m_args.Next<double>();
        std::string pattern = "%";
        pattern += spec.plus ? "+" : "";
        pattern += spec.space ? " " : "";
        pattern += spec.alternate ? "#" : "";
        if (spec.precision >= 0)
        {
            pattern += '.';
            pattern += std::to_string(std::min(spec.precision, kMaxFloatPrecision));
        }
        pattern += spec.conversion;
        const int size = std::snprintf(nullptr, 0, pattern.c_str(), value);
        std::string text(static_cast<std::size_t>(std::max(size, 0)) + 1, '\0');
        std::snprintf(text.data(), text.size(), pattern.c_str(), value);
        text.resize(static_cast<std::size_t>(std::max(size, 0)));
        const std::size_t signLength =
            (!text.empty() && (text[0] == '-' || text[0] == '+' || text[0] == ' ')) ? 1 : 0;
        const std::basic_string<Ch> body(text.begin() + signLength, text.end());
        PutField(spec, std::string_view(text).substr(0, signLength), 0, body,
                 spec.zero && !spec.left && std::isfinite(value));
    }

    // Windows prints a pointer as all of its hex digits in upper case, without "0x".
    void PutPointer(FormatSpec& spec)
    {
        const auto value = reinterpret_cast<std::uintptr_t>(m_args.Next<void*>());
        FormatSpec digits = spec;
        digits.conversion = 'X';
        digits.alternate = false;
        digits.precision = static_cast<int>(sizeof(void*) * 2);
        PutDigits(digits, "", value);
    }

    // True when the conversion takes a Ch string or character rather than the other kind.
    bool TakesOwnKind(const FormatSpec& spec) const
    {
        if (spec.length == Length::Short)
            return sizeof(Ch) == 1;
        if (spec.length == Length::Long || spec.length == Length::Wide)
            return sizeof(Ch) != 1;
        return spec.conversion == 's' || spec.conversion == 'c';
    }

    // Whether a string or character conversion takes a wide argument.
    bool TakesWide(const FormatSpec& spec) const { return TakesOwnKind(spec) == (sizeof(Ch) != 1); }

    void PutChar(FormatSpec& spec)
    {
        const int value = m_args.Next<int>();
        const auto wide = static_cast<wchar_t>(value);
        const auto narrow = static_cast<char>(value);
        const std::basic_string<Ch> body = TakesWide(spec) ? ConvertWide(std::wstring_view(&wide, 1))
                                                           : ConvertNarrow(std::string_view(&narrow, 1));
        PutField(spec, "", 0, body, spec.zero && !spec.left);
    }

    std::basic_string<Ch> ConvertNarrow(std::string_view narrow) const
    {
        if constexpr (sizeof(Ch) == 1)
            return std::basic_string<Ch>(narrow);
        else
            return FromUtf8(narrow);
    }

    std::basic_string<Ch> ConvertWide(std::wstring_view wide) const
    {
        if constexpr (sizeof(Ch) == 1)
            return ToUtf8(wide);
        else
            return std::basic_string<Ch>(wide);
    }

    // The precision bounds how far the argument is read: it need not be terminated then.
    void PutString(FormatSpec& spec)
    {
        const bool wide = TakesWide(spec);
        const void* pointer = m_args.Next<const void*>();
        const std::size_t bound = spec.precision < 0 ? SIZE_MAX : static_cast<std::size_t>(spec.precision);
        std::basic_string<Ch> body;
        if (pointer == nullptr)
            body = ConvertNarrow(std::string_view("(null)").substr(0, std::min<std::size_t>(bound, 6)));
        else if (wide)
            body = ConvertWide(std::wstring_view(static_cast<const wchar_t*>(pointer),
                                                 wcsnlen(static_cast<const wchar_t*>(pointer), bound)));
        else
            body = ConvertNarrow(std::string_view(static_cast<const char*>(pointer),
                                                  strnlen(static_cast<const char*>(pointer), bound)));
        PutField(spec, "", 0, body, spec.zero && !spec.left);
    }

    ArgReader m_args;
    FormatOutput<Ch> m_out;
};
} // namespace

template <class Ch> FormatResult<Ch> FormatText(const Ch* format, va_list args, std::size_t limit)
{
    Formatter<Ch> formatter(args, limit);
    return formatter.Run(format);
}

template FormatSpec ParseFormatSpec<wchar_t>(const wchar_t*);
template FormatSpec ParseFormatSpec<char>(const char*);
template FormatResult<wchar_t> FormatText<wchar_t>(const wchar_t*, va_list, std::size_t);
template FormatResult<char> FormatText<char>(const char*, va_list, std::size_t);
} // namespace platform::format
