#include "platform/store/RegistryStore.h"

#include "platform/ProductName.h"
#include "platform/store/LockedFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::store
{
namespace
{
constexpr const char* kHiveNames[] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE",
                                      "HKEY_USERS"};
constexpr int kHiveCount = 4;

struct WarningState
{
    std::mutex lock;
    RegistryWarningSink sink;
    std::size_t reported[kHiveCount] = {}; // hash of the damaged contents last reported per hive
};

WarningState& Warnings()
{
    static WarningState* state = new WarningState; // used until the very end of the process
    return *state;
}

std::string EnvOrEmpty(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string HomeFolder()
{
    std::string home = EnvOrEmpty("HOME");
    if (home.empty())
    {
        if (const passwd* entry = ::getpwuid(::getuid()))
            home = entry->pw_dir;
    }
    return home;
}

// mkdir -p, private to the user: the store holds what the programs keep about the machine.
bool MakeFolders(const std::string& path)
{
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1))
    {
        const std::string part = path.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return false;
        if (slash == std::string::npos)
            return true;
    }
}
} // namespace

int RegistryStore::HiveOf(HKEY key)
{
    const auto value = reinterpret_cast<ULONG_PTR>(key);
    return value >= 0x80000000u && value < 0x80000000u + kHiveCount ? static_cast<int>(value - 0x80000000u)
                                                                    : -1;
}

std::string RegistryStore::HivePath(int hive)
{
    return RegistryStoreFolder() + "/" + kHiveNames[hive] + ".reg";
}

void RegistryStore::SetWarningSink(RegistryWarningSink sink)
{
    WarningState& state = Warnings();
    std::lock_guard<std::mutex> guard(state.lock);
    state.sink = std::move(sink);
}

void RegistryStore::Warn(const std::string& message)
{
    WarningState& state = Warnings();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.sink)
        state.sink(message);
    else if (ProductSetting("DEBUG") == "1")
        std::fprintf(stderr, "registry: %s\n", message.c_str());
}

void RegistryStore::ParseReporting(int hive, std::string_view bytes, RegistryHive& out, bool& damaged)
{
    std::vector<std::string> problems;
    out = RegistryHive();
    out.Parse(bytes, problems);
    damaged = !problems.empty();
    if (!damaged)
        return;
    // Every call re-reads the hive; a damaged file is reported once, not on every call.
    const std::size_t hash = std::hash<std::string_view>()(bytes);
    {
        WarningState& state = Warnings();
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.reported[hive] == hash)
            return;
        state.reported[hive] = hash;
    }
    for (const std::string& problem : problems)
        Warn(HivePath(hive) + ": " + problem);
}

LONG RegistryStore::Load(int hive, RegistryHive& out)
{
    std::string bytes;
    bool exists = false;
    if (!LockedFile::ReadPath(HivePath(hive), bytes, exists))
    {
        Warn(HivePath(hive) + ": cannot be read");
        return static_cast<LONG>(GetLastError());
    }
    bool damaged = false;
    ParseReporting(hive, bytes, out, damaged);
    return ERROR_SUCCESS;
}

LONG RegistryStore::Update(int hive, const Change& change)
{
    if (!MakeFolders(RegistryStoreFolder()))
    {
        SetLastErrorFromErrno();
        return static_cast<LONG>(GetLastError());
    }
    const std::string path = HivePath(hive);
    LockedFile file(path);
    std::string bytes;
    if (!file.IsLocked() || !file.Read(bytes))
        return static_cast<LONG>(GetLastError());
    RegistryHive current;
    bool damaged = false;
    ParseReporting(hive, bytes, current, damaged);
    bool changed = false;
    const LONG result = change(current, changed);
    if (result != ERROR_SUCCESS || !changed)
        return result;
    if (damaged)
    {
        // The lines that could not be read are dropped by the rewrite; keep them for a person.
        LockedFile copy(path + ".damaged");
        if (copy.IsLocked())
            copy.Replace(bytes);
    }
    return file.Replace(current.Serialize()) ? ERROR_SUCCESS : static_cast<LONG>(GetLastError());
}
} // namespace platform::store

namespace platform
{
std::string RegistryStoreFolder()
{
    const std::string state = ProductSetting("STATE_DIR");
    if (!state.empty())
        return state + "/registry";
    const std::string xdg = store::EnvOrEmpty("XDG_STATE_HOME");
    if (!xdg.empty())
        return xdg + "/" + ProductName() + "/registry";
    return store::HomeFolder() + "/.local/state/" + ProductName() + "/registry";
}

void SetRegistryWarningSink(RegistryWarningSink sink)
{
    store::RegistryStore::SetWarningSink(std::move(sink));
}
} // namespace platform
