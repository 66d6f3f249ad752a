// Child process for the registry tests: another program writing the product key.
// Usage: common_reg_writer <value name> <text>; exit code 0 when the value was stored.
#include "common/base/StringHelper.h"
#include "common/install/RegSettings.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    CRegSettings reg(HKEY_LOCAL_MACHINE, kProductRegKey, false, true);
    return reg.SetValue(AnsiToWide(argv[1]).c_str(), AnsiToWide(argv[2]).c_str()) ? 0 : 1;
}
