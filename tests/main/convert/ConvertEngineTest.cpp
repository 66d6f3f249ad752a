// The conversion tabs end to end on a headless window: queues, workers, real ImageMagick
// conversions and the result handlers.
#include "common/base/Log.h"
#include "main/MagickDriver.h"
#include "main/MainDlg.h"

#include "tests/support/TestSupport.h"
#include "tests/support/Waiting.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <set>

using testsupport::PumpUntil;
using testsupport::TempDir;

namespace
{
// Records what the conversion code asks of the window.
class RecordingView : public IConvertView
{
public:
    void ShowConvertButtons(int tab, bool converting) override { buttonsConverting[tab] = converting; }
    void SortLines(int tab) override { ++sorts[tab]; }
    void RefreshLine(int tab, int index) override { refreshed[tab].push_back(index); }
    void ShowTips(const std::wstring& text) override { tips.push_back(text); }

    bool buttonsConverting[TAB_COUNT] = {false, false, false};
    int sorts[TAB_COUNT] = {0, 0, 0};
    std::vector<int> refreshed[TAB_COUNT];
    std::vector<std::wstring> tips;
};

CMainDlg* g_dialog = nullptr;
int g_results = 0;

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    if (g_dialog != nullptr && g_dialog->HandleConvertMessage(msg, wParam, lParam, result))
    {
        ++g_results;
        return result;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

// Lines the log writes, captured through the debug channel.
std::mutex g_linesLock;
std::vector<std::string> g_lines;

class ConvertEngine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // An earlier test's window set the program's stop flag on its way out.
        g_bAppExit = false;
        MagickStartup(PICTAVO_MAGICK_CONFIG_DIR);
        platform::SetDebugSink([](const std::wstring& line) {
            std::lock_guard<std::mutex> guard(g_linesLock);
            g_lines.push_back(testsupport::Narrow(line));
        });
        CLog::GetInstance()->m_bDebugOutput = true;
        CLog::GetInstance()->Start();

        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = MainWndProc;
        wc.lpszClassName = L"ConvertEngineTest";
        RegisterClassExW(&wc);
        m_hwnd = CreateWindowExW(0, L"ConvertEngineTest", L"Pictavo", 0, 0, 0, 720, 470, nullptr, nullptr,
                                 nullptr, nullptr);
        ASSERT_NE(m_hwnd, nullptr);
        m_dlg.SetHWND(m_hwnd);
        m_dlg.SetConvertView(&m_view);
        m_dlg.m_strOutDir = testsupport::Wide(m_out.path());
        g_dialog = &m_dlg;
        m_dlg.InitWorkThread();
    }
    void TearDown() override { g_dialog = nullptr; }

    // Makes an image with the CLI and adds it to a tab as the file intake would.
    FileItem* Add(int tab, const std::string& name, const std::string& spec = "-size 64x48 plasma:")
    {
        const std::string path = m_in / name;
        if (!spec.empty())
            std::system(("convert " + spec + " '" + path + "' 2>/dev/null").c_str());
        auto* item = new FileItem;
        item->m_nId = m_nextId++;
        item->m_strPath = testsupport::Wide(path);
        item->m_strType = testsupport::Wide(name.substr(name.rfind('.') + 1));
        item->m_nKind = tab;
        m_dlg.GetTabItems(tab).push_back(item);
        return item;
    }

    // True once a worker is writing an output (its hidden temporary file exists).
    bool WaitForWorkInProgress()
    {
        return PumpUntil([this] {
            for (const auto& entry : std::filesystem::directory_iterator(m_out.path()))
                if (entry.path().filename().string().rfind(".~", 0) == 0)
                    return true;
            return false;
        });
    }

    bool WaitIdle(int tab)
    {
        return PumpUntil([this, tab] { return !m_dlg.IsConverting(tab); });
    }

    TempDir m_in{"in"};
    TempDir m_out{"out"};
    RecordingView m_view;
    CMainDlg m_dlg;
    HWND m_hwnd = nullptr;
    int m_nextId = 0;
};
} // namespace

TEST_F(ConvertEngine, EmptyTabOnlyShowsTheToast)
{
    m_dlg.StartConvert(TAB_NORMAL);
    ASSERT_EQ(m_view.tips.size(), 1u);
    EXPECT_EQ(m_view.tips[0], L"请先添加文件...");
    EXPECT_FALSE(m_dlg.IsConverting(TAB_NORMAL));
    EXPECT_EQ(m_view.sorts[TAB_NORMAL], 0);
    m_dlg.StartConvert(7); // not a tab: nothing at all
    EXPECT_EQ(m_view.tips.size(), 1u);
}

TEST_F(ConvertEngine, ARunConvertsEveryFileAndFailsTheBadOneAlone)
{
    Add(TAB_NORMAL, "a.png");
    Add(TAB_NORMAL, "b.gif", "-size 20x20 xc:red xc:blue");
    FileItem* bad = Add(TAB_NORMAL, "broken.jpg", "");
    testsupport::WriteFile(m_in / "broken.jpg", "not a jpeg");
    Add(TAB_NORMAL, "d.psd", "-size 16x16 xc:green");
    for (FileItem* item : m_dlg.GetTabItems(TAB_NORMAL))
        item->m_nOutType = 0; // png

    m_dlg.StartConvert(TAB_NORMAL);
    EXPECT_TRUE(m_dlg.IsConverting(TAB_NORMAL));
    EXPECT_TRUE(m_view.buttonsConverting[TAB_NORMAL]);
    EXPECT_EQ(m_view.sorts[TAB_NORMAL], 1);
    ASSERT_TRUE(WaitIdle(TAB_NORMAL));

    EXPECT_FALSE(m_view.buttonsConverting[TAB_NORMAL]);
    EXPECT_EQ(m_view.refreshed[TAB_NORMAL], (std::vector<int>{0, 1, 2, 3})); // in queue order
    for (FileItem* item : m_dlg.GetTabItems(TAB_NORMAL))
    {
        EXPECT_EQ(item->m_nProgress, 100);
        EXPECT_EQ(item->m_nStatus, item == bad ? FILE_FAILED : FILE_DONE)
            << testsupport::Narrow(item->m_strPath);
    }
    EXPECT_EQ(bad->m_strOutPath, testsupport::Wide(m_out / "broken.png"));
    EXPECT_TRUE(testsupport::Exists(m_out / "b.png"));
    EXPECT_FALSE(testsupport::Exists(m_out / "broken.png"));
    CLog::GetInstance()->Stop();
    std::lock_guard<std::mutex> guard(g_linesLock);
    int errors = 0;
    for (const std::string& line : g_lines)
    {
        if (line.find("[ERROR]Pictavo file=") != std::string::npos &&
            line.find("broken.jpg") != std::string::npos)
            ++errors;
    }
    EXPECT_EQ(errors, 1);
}

TEST_F(ConvertEngine, CompressionAndHeicTabsUseTheirOwnSettings)
{
    FileItem* photo = Add(TAB_COMPRESS, "photo.jpg", "-size 200x100 plasma:");
    photo->m_nResize = 50;
    photo->m_nQuality = 70;
    Add(TAB_HEIC, "src.png", "-size 40x30 xc:orange");
    ASSERT_EQ(
        std::system(("heif-enc -o '" + (m_in / "pic.heic") + "' '" + (m_in / "src.png") + "' >/dev/null 2>&1")
                        .c_str()),
        0);
    m_dlg.GetTabItems(TAB_HEIC).back()->m_strPath = testsupport::Wide(m_in / "pic.heic");

    m_dlg.StartConvert(TAB_COMPRESS);
    m_dlg.StartConvert(TAB_HEIC);
    ASSERT_TRUE(WaitIdle(TAB_COMPRESS));
    ASSERT_TRUE(WaitIdle(TAB_HEIC));
    EXPECT_EQ(photo->m_nStatus, FILE_DONE);
    EXPECT_EQ(m_dlg.GetTabItems(TAB_HEIC)[0]->m_nStatus, FILE_DONE);
    int width = 0;
    int height = 0;
    std::string error;
    ASSERT_TRUE(GetImageSize(m_out / "photo.jpg", width, height, error));
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 50);
    EXPECT_TRUE(testsupport::Exists(m_out / "pic.jpg"));
}

TEST_F(ConvertEngine, NamesThatAreNotUtf8ConvertOnEveryTabAndTheOutputsKeepTheirBytes)
{
    // Names as archives from other systems leave them: stray bytes, GBK ("图片"), Latin-1 ("été").
    const std::string stems[TAB_COUNT] = {"bad\xff\xfename", "gbk \xcd\xbc\xc6\xac", "c\xe9t\xe9"};
    Add(TAB_NORMAL, stems[TAB_NORMAL] + ".jpg");
    Add(TAB_HEIC, "src.png", "-size 40x30 xc:orange");
    const std::string heic = m_in / (stems[TAB_HEIC] + ".heic");
    ASSERT_EQ(
        std::system(("heif-enc -o '" + heic + "' '" + (m_in / "src.png") + "' >/dev/null 2>&1").c_str()), 0);
    m_dlg.GetTabItems(TAB_HEIC).back()->m_strPath = testsupport::Wide(heic);
    Add(TAB_COMPRESS, stems[TAB_COMPRESS] + ".jpg", "-size 200x100 plasma:")->m_nResize = 50;

    for (int tab = 0; tab < TAB_COUNT; ++tab)
        m_dlg.StartConvert(tab);
    for (int tab = 0; tab < TAB_COUNT; ++tab)
    {
        ASSERT_TRUE(WaitIdle(tab));
        const FileItem* item = m_dlg.GetTabItems(tab)[0];
        EXPECT_EQ(item->m_nStatus, FILE_DONE) << "tab " << tab;
        const std::string written = testsupport::Narrow(item->m_strOutPath);
        EXPECT_EQ(written, m_out / (stems[tab] + ".jpg")) << "tab " << tab;
        int width = 0;
        int height = 0;
        std::string error;
        EXPECT_TRUE(GetImageSize(written, width, height, error)) << error;
        EXPECT_EQ(width, tab == TAB_NORMAL ? 64 : tab == TAB_HEIC ? 40 : 100) << "tab " << tab;
    }
}

TEST_F(ConvertEngine, CancelFinishesTheCurrentFileAndDropsTheRest)
{
    for (int i = 0; i < 6; ++i)
        Add(TAB_NORMAL, "big" + std::to_string(i) + ".png",
            i == 0 ? "-size 2000x2000 plasma:" : "-size 64x48 plasma:");
    m_dlg.StartConvert(TAB_NORMAL);
    ASSERT_TRUE(WaitForWorkInProgress());
    m_dlg.CancelConvert(TAB_NORMAL);
    EXPECT_FALSE(m_dlg.IsConverting(TAB_NORMAL));
    EXPECT_FALSE(m_view.buttonsConverting[TAB_NORMAL]);
    ASSERT_TRUE(PumpUntil([this] { return m_dlg.GetTabItems(TAB_NORMAL)[0]->m_nProgress == 100; }));
    Sleep(300);
    PumpUntil([] { return true; });
    EXPECT_EQ(m_dlg.GetTabItems(TAB_NORMAL)[0]->m_nStatus, FILE_DONE);
    for (size_t i = 1; i < m_dlg.GetTabItems(TAB_NORMAL).size(); ++i)
        EXPECT_EQ(m_dlg.GetTabItems(TAB_NORMAL)[i]->m_nProgress, 0) << i;
}

TEST_F(ConvertEngine, AResultOfACancelledRunNeverTouchesTheNewRun)
{
    Add(TAB_NORMAL, "first.png", "-size 2000x2000 plasma:");
    m_dlg.StartConvert(TAB_NORMAL);
    ASSERT_TRUE(WaitForWorkInProgress());
    m_dlg.CancelConvert(TAB_NORMAL);
    for (int i = 0; i < 3; ++i)
        Add(TAB_NORMAL, "more" + std::to_string(i) + ".png");
    // Started again while the old run's last (and only) file is still converting: its result
    // carries "last" but belongs to the old run, so the new run must stay busy.
    m_dlg.StartConvert(TAB_NORMAL);
    bool idleTooEarly = false;
    ASSERT_TRUE(PumpUntil([this, &idleTooEarly] {
        int done = 0;
        for (FileItem* item : m_dlg.GetTabItems(TAB_NORMAL))
            done += item->m_nStatus == FILE_DONE ? 1 : 0;
        if (!m_dlg.IsConverting(TAB_NORMAL) && done < 4)
            idleTooEarly = true;
        return !m_dlg.IsConverting(TAB_NORMAL);
    }));
    EXPECT_FALSE(idleTooEarly);
    for (FileItem* item : m_dlg.GetTabItems(TAB_NORMAL))
        EXPECT_EQ(item->m_nStatus, FILE_DONE);
}

TEST_F(ConvertEngine, StartingAFinishedTabConvertsEverythingAgain)
{
    Add(TAB_NORMAL, "x.bmp");
    Add(TAB_NORMAL, "y.tif");
    m_dlg.StartConvert(TAB_NORMAL);
    ASSERT_TRUE(WaitIdle(TAB_NORMAL));
    std::remove((m_out / "x.jpg").c_str());
    m_dlg.StartConvert(TAB_NORMAL);
    for (FileItem* item : m_dlg.GetTabItems(TAB_NORMAL))
        EXPECT_EQ(item->m_nProgress, 0); // back to waiting at once
    ASSERT_TRUE(WaitIdle(TAB_NORMAL));
    EXPECT_TRUE(testsupport::Exists(m_out / "x.jpg"));
    EXPECT_EQ(m_view.sorts[TAB_NORMAL], 2);
}

TEST_F(ConvertEngine, AnUnknownOutputTypeGivesAPathEndingInADot)
{
    FileItem* item = Add(TAB_NORMAL, "odd.png");
    item->m_nOutType = 9;
    m_dlg.StartConvert(TAB_NORMAL);
    ASSERT_TRUE(WaitIdle(TAB_NORMAL));
    EXPECT_EQ(item->m_strOutPath, testsupport::Wide(m_out / "odd."));
}

TEST_F(ConvertEngine, WithoutAnOutputFolderEveryFileFailsAndNothingIsWritten)
{
    // The documents folder could not be found: the folder is empty (or, from a hand-edited
    // config.ini, relative); an output must never land at the root or beside the program.
    const std::string stem = "pictavo-no-folder-" + std::to_string(::getpid());
    for (const std::wstring folder : {L"", L"relative"})
    {
        m_dlg.m_strOutDir = folder;
        FileItem* item = Add(TAB_NORMAL, stem + ".png");
        m_dlg.StartConvert(TAB_NORMAL);
        ASSERT_TRUE(WaitIdle(TAB_NORMAL));
        EXPECT_EQ(item->m_nStatus, FILE_FAILED);
        EXPECT_FALSE(testsupport::Exists("/" + stem + ".jpg"));
        EXPECT_FALSE(testsupport::Exists("relative/" + stem + ".jpg"));
        m_dlg.ClearList(TAB_NORMAL);
    }
    CLog::GetInstance()->Stop();
    std::lock_guard<std::mutex> guard(g_linesLock);
    EXPECT_TRUE(std::any_of(g_lines.begin(), g_lines.end(), [&](const std::string& line) {
        return line.find(stem) != std::string::npos && line.find("no output folder") != std::string::npos;
    }));
}

TEST_F(ConvertEngine, ThreeTabsConvertAtOnce)
{
    for (int i = 0; i < 5; ++i)
    {
        Add(TAB_NORMAL, "n" + std::to_string(i) + ".png");
        Add(TAB_COMPRESS, "c" + std::to_string(i) + ".jpg");
        Add(TAB_HEIC, "h" + std::to_string(i) + ".png"); // a png in the HEIC tab still converts
    }
    for (int tab = 0; tab < TAB_COUNT; ++tab)
        m_dlg.StartConvert(tab);
    for (int tab = 0; tab < TAB_COUNT; ++tab)
        ASSERT_TRUE(WaitIdle(tab));
    for (int tab = 0; tab < TAB_COUNT; ++tab)
        for (FileItem* item : m_dlg.GetTabItems(tab))
            EXPECT_EQ(item->m_nStatus, FILE_DONE);
    EXPECT_EQ(g_results, 15);
}

TEST_F(ConvertEngine, ResultsForAGoneWindowAreFreedByTheWorker)
{
    Add(TAB_NORMAL, "late.png", "-size 800x800 plasma:");
    m_dlg.StartConvert(TAB_NORMAL);
    DestroyWindow(m_hwnd); // the worker's post fails; it frees the record (ASan watches)
    Sleep(1500);
    EXPECT_EQ(g_results, 0);
}

TEST_F(ConvertEngine, RowsAndTabsWritingOneNameEachKeepTheirOutputAndTheUsersFileStays)
{
    // The user's own same.png already stands in the output folder.
    std::system(("convert -size 9x9 gradient:red-blue -depth 16 '" + (m_out / "same.png") + "'").c_str());
    const std::string users = testsupport::ReadFile(m_out / "same.png");
    ASSERT_FALSE(users.empty());
    FileItem* bmp = Add(TAB_NORMAL, "same.bmp", "-size 30x20 xc:red");
    FileItem* png = Add(TAB_NORMAL, "same.png", "-size 40x20 xc:blue");
    bmp->m_nOutType = png->m_nOutType = 0;
    // two tabs at once: the normal tab's photo.png and the compression tab's photo.jpg both
    // become photo.jpg
    FileItem* normal = Add(TAB_NORMAL, "photo.png", "-size 300x200 plasma:");
    FileItem* compressed = Add(TAB_COMPRESS, "photo.jpg", "-size 300x200 plasma:");
    m_dlg.StartConvert(TAB_NORMAL);
    m_dlg.StartConvert(TAB_COMPRESS);
    ASSERT_TRUE(WaitIdle(TAB_NORMAL));
    ASSERT_TRUE(WaitIdle(TAB_COMPRESS));

    EXPECT_EQ(testsupport::ReadFile(m_out / "same.png"), users);
    EXPECT_EQ(bmp->m_strOutPath, testsupport::Wide(m_out / "same (2).png"));
    EXPECT_EQ(png->m_strOutPath, testsupport::Wide(m_out / "same (3).png"));
    EXPECT_EQ(std::set<std::wstring>({normal->m_strOutPath, compressed->m_strOutPath}),
              std::set<std::wstring>(
                  {testsupport::Wide(m_out / "photo.jpg"), testsupport::Wide(m_out / "photo (2).jpg")}));
    // every row points at its own complete file, as "查看" and "打开目录" open it
    const std::vector<std::pair<FileItem*, std::string>> sizes = {
        {bmp, "30x20"}, {png, "40x20"}, {normal, "300x200"}, {compressed, "300x200"}};
    for (const auto& [item, size] : sizes)
    {
        EXPECT_EQ(item->m_nStatus, FILE_DONE);
        int width = 0, height = 0;
        std::string error;
        EXPECT_TRUE(GetImageSize(testsupport::Narrow(item->m_strOutPath), width, height, error)) << error;
        EXPECT_EQ(std::to_string(width) + "x" + std::to_string(height), size);
    }
}
