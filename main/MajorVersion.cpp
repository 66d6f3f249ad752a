// The version request of the main program: the only request that reads the main program's
// config.ini.
#include "main/MajorVersion.h"

#include "common/base/StringHelper.h"
#include "common/http/HttpMgr.h"
#include "main/ConfigIni.h"

namespace
{
// The address travels through a buffer of this many characters, terminator included.
const size_t kUrlBufferChars = 1024;
} // namespace

void GetMajor(std::wstring* version, std::wstring* packUrl)
{
    std::wstring address = CConfigIni().GetVersionUrl();
    if (address.size() >= kUrlBufferChars)
        address.resize(kUrlBufferChars - 1);
    CHttpMgr::RequestVersion(WideToAnsi(address), version, packUrl);
}
