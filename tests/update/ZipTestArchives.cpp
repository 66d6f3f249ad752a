#include "tests/update/ZipTestArchives.h"

#include "update/ZipManager.h"

#include "platform/DebugOutput.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <mutex>
#include <sys/stat.h>
#include <sys/wait.h>

namespace ziptest
{
namespace
{
const char kPrelude[] = R"PY(
import struct, sys, zipfile
path = sys.argv[1]
z = zipfile.ZipFile(path, 'w', zipfile.ZIP_DEFLATED)

def add(name, data=b'', system=3, attr=None, date=(2020, 1, 2, 3, 4, 6), extra=b'', stored=False):
    info = zipfile.ZipInfo(name, date_time=date)
    info.create_system = system
    info.compress_type = zipfile.ZIP_STORED if stored else zipfile.ZIP_DEFLATED
    if attr is None:
        attr = ((0o40755 << 16) | 0x10) if name.endswith('/') else (0o100644 << 16)
    info.external_attr = attr
    info.extra = extra
    z.writestr(info, data.encode() if isinstance(data, str) else data)

def patch(old, new):
    raw = open(path, 'rb').read()
    open(path, 'wb').write(raw.replace(old, new))

def set_field(sig, offset, fmt, value):
    raw = bytearray(open(path, 'rb').read())
    at = raw.find(sig)
    while at >= 0:
        struct.pack_into(fmt, raw, at + offset, value)
        at = raw.find(sig, at + 4)
    open(path, 'wb').write(bytes(raw))
)PY";

std::mutex g_captureLock;
} // namespace

bool MakeZip(const std::string& zipPath, const std::string& body)
{
    const std::string script = zipPath + ".py";
    testsupport::WriteFile(script, std::string(kPrelude) + body + "\nz.close()\n");
    return Run("python3 '" + script + "' '" + zipPath + "'");
}

bool Run(const std::string& command)
{
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> ListTree(const std::string& root)
{
    namespace fs = std::filesystem;
    std::vector<std::string> paths;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
        paths.push_back(fs::relative(it->path(), root).string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

mode_t ModeOf(const std::string& path)
{
    struct stat st = {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

std::string ZipTest::Zip(const std::string& name, const std::string& body)
{
    const std::string path = m_work / (name + ".zip");
    EXPECT_TRUE(MakeZip(path, body)) << body;
    return path;
}

bool ZipTest::UnzipAllInto(CZipManager& zip, const std::string& archive)
{
    return zip.OpenZip(testsupport::Wide(archive).c_str(), nullptr) && zip.SetUnzipDir(WBase().c_str()) &&
           zip.UnzipAll();
}

bool ZipTest::NothingOutsideBase() const
{
    const std::vector<std::string> top = ListTree(m_parent.path());
    return std::all_of(top.begin(), top.end(), [](const std::string& p) { return p.rfind("base", 0) == 0; });
}

void ZipTest::ExpectFailure(const CZipManager& zip, ZipResult result, int index, const std::wstring& name)
{
    int failedIndex = -2;
    std::wstring failedName;
    EXPECT_EQ(zip.GetLastFailure(&failedIndex, &failedName), result);
    EXPECT_EQ(failedIndex, index);
    EXPECT_EQ(testsupport::Narrow(failedName), testsupport::Narrow(name));
}

DebugCapture::DebugCapture() : m_lines(new std::vector<std::wstring>)
{
    std::vector<std::wstring>* lines = m_lines;
    platform::SetDebugSink([lines](const std::wstring& text) {
        std::lock_guard<std::mutex> lock(g_captureLock);
        lines->push_back(text);
    });
}

DebugCapture::~DebugCapture()
{
    platform::SetDebugSink({});
    delete m_lines;
}

std::string DebugCapture::Text() const
{
    std::lock_guard<std::mutex> lock(g_captureLock);
    std::string text;
    for (const std::wstring& line : *m_lines)
        text += testsupport::Narrow(line) + "\n";
    return text;
}
} // namespace ziptest
