#pragma once
// Query values of the service's addresses.

#include <string>

// The value's UTF-8 bytes with everything but letters, digits and "-._~" as %XX, so that a
// "+", "/", "=" or "&" in it reaches the service unchanged.
std::wstring PercentEncode(const std::wstring& value);
