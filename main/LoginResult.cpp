#include "main/LoginResult.h"

#include "common/base/StringHelper.h"
#include "common/http/Base64.h"

#include <json/json.h>

#include <memory>

namespace
{
// False for a member that is missing; throws Json::LogicError for one that is not text.
bool ReadMember(const Json::Value& root, const char* name, std::wstring& out)
{
    if (!root.isMember(name))
        return false;
    const Json::Value& value = root[name];
    if (!value.isString())
        throw Json::LogicError(std::string(name) + " is not text");
    out = AnsiToWide(Utf8ToAnsi(value.asString()));
    return true;
}
} // namespace

bool ParseLoginResult(const std::wstring& text, LoginFields& fields)
{
    const std::string ansi = WideToAnsi(text);
    const std::string json = Base64Decode(ansi.c_str(), static_cast<int>(ansi.size()));
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    try
    {
        if (json.empty() || !reader->parse(json.data(), json.data() + json.size(), &root, nullptr) ||
            !root.isObject())
            return false;
        fields.hasAccount = ReadMember(root, "account", fields.account);
        fields.hasUuid = ReadMember(root, "uuid", fields.uuid);
        fields.hasUkey = ReadMember(root, "ukey", fields.ukey);
        fields.hasImgUrl = ReadMember(root, "img_url", fields.imgUrl);
    }
    catch (const std::exception&)
    {
        return false;
    }
    return true;
}
