#pragma once
// Where the hives live and how they are read and changed: reads take the file as it is
// (it is only ever replaced whole), changes run under the hive's lock on a fresh read.

#include "platform/store/RegistryHive.h"

#include "platform/Registry.h"

#include <functional>
#include <string>

namespace platform::store
{
class RegistryStore
{
public:
    // The hive of a predefined key (0 to 3), or -1 for any other handle.
    static int HiveOf(HKEY key);
    static std::string HivePath(int hive);

    // The hive as stored now; a missing file is an empty hive.
    static LONG Load(int hive, RegistryHive& out);
    // Re-reads the hive under its lock, lets change edit it and, when change succeeds and
    // sets changed, replaces the file before the lock is released.
    using Change = std::function<LONG(RegistryHive& hive, bool& changed)>;
    static LONG Update(int hive, const Change& change);

    static void SetWarningSink(RegistryWarningSink sink);

private:
    static void Warn(const std::string& message);
    static void ParseReporting(int hive, std::string_view bytes, RegistryHive& out, bool& damaged);
};
} // namespace platform::store
