#pragma once
// The login page's result: base64 text of a JSON object whose "account", "uuid", "ukey" and
// "img_url" members are texts.

#include <string>

struct LoginFields
{
    bool hasAccount = false;
    bool hasUuid = false;
    bool hasUkey = false;
    bool hasImgUrl = false;
    std::wstring account;
    std::wstring uuid;
    std::wstring ukey;
    std::wstring imgUrl;
};

// False when the text is not base64 of a JSON object, or one of the four members is there
// but is not text; fields are then not to be used. Never throws.
bool ParseLoginResult(const std::wstring& text, LoginFields& fields);
