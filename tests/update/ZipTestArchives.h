#pragma once
// Real archives for the zip extractor's tests, written at test time by Python's zipfile, and
// a fixture whose base folder sits alone in a fresh parent, so that anything written outside
// the base shows.

#include "update/ZipResult.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <sys/types.h>
#include <vector>

class CZipManager;

namespace ziptest
{
// Runs body as Python with `z` an open ZipFile at zipPath and these helpers defined:
//   add(name, data=b'', system=3, attr=None, date=(2020, 1, 2, 3, 4, 6), extra=b'', stored=False)
//   patch(old, new)        replaces bytes in the finished archive (call z.close() first)
//   set_field(sig, offset, fmt, value)  rewrites a field in every header with signature sig
// Returns false when Python fails.
bool MakeZip(const std::string& zipPath, const std::string& body);
// Runs a shell command; true when it exits with 0.
bool Run(const std::string& command);
// Every path below root, relative to it, sorted; links are listed, never followed.
std::vector<std::string> ListTree(const std::string& root);
mode_t ModeOf(const std::string& path);

class ZipTest : public ::testing::Test
{
protected:
    // Writes the archive "<name>.zip" in the work folder; fails the test when Python fails.
    std::string Zip(const std::string& name, const std::string& body);
    // OpenZip + SetUnzipDir(base) + UnzipAll.
    bool UnzipAllInto(CZipManager& zip, const std::string& archive);
    std::string Base() const { return m_parent / "base"; }
    std::wstring WBase() const { return testsupport::Wide(Base()); }
    std::string InBase(const std::string& name) const { return Base() + "/" + name; }
    // True when the parent holds nothing but the base folder.
    bool NothingOutsideBase() const;
    // Checks what the last UnzipAll of zip reported.
    static void ExpectFailure(const CZipManager& zip, ZipResult result, int index, const std::wstring& name);

    testsupport::TempDir m_work{"zipwork"};
    testsupport::TempDir m_parent{"zipparent"};
};

// Collects what is sent to the debug channel while it lives.
class DebugCapture
{
public:
    DebugCapture();
    ~DebugCapture();
    std::string Text() const;

private:
    std::vector<std::wstring>* m_lines;
};
} // namespace ziptest
