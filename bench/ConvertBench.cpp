// The conversion pipeline measured as a user meets it: files go through a tab's real queue,
// worker and result records to a headless main window.
//
//   bench_convert run <tab> <outType> <outDir> <resize> <quality> <files...>
//       one line per file: code, input, output, error (tab-separated); then a summary line
//   bench_convert compare <outDir> <files...>
//       the normal tab against direct in-process ConvertImageCommand calls and against one
//       /usr/bin/convert process per file, in the same run; prints the ratios
//   bench_convert tabs <outDir> <files...>
//       the files split over the three tabs, the tabs run at once against the same tabs run one
//       after the other (the same work: a third converted in each of the first two tabs, a third
//       re-encoded at full size in the compression tab), and each tab's time alone: three at once
//       can be no faster than the slowest of them ("best_possible" is the ratio that allows)

#include "common/base/StringHelper.h"
#include "main/MagickDriver.h"
#include "main/MainDlg.h"
#include "main/RuntimeStart.h"

#include <wand/MagickWand.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

long PeakMemoryMiB()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

// A headless main window that takes the tabs' result messages.
class PipelineHost : public IConvertView
{
public:
    PipelineHost()
    {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = &PipelineHost::WndProc;
        wc.lpszClassName = L"BenchMainWindow";
        RegisterClassExW(&wc);
        m_hwnd = CreateWindowExW(0, L"BenchMainWindow", L"Pictavo", 0, 0, 0, 720, 470, nullptr, nullptr,
                                 nullptr, nullptr);
        s_host = this;
        m_dlg.SetHWND(m_hwnd);
        m_dlg.SetConvertView(this);
        m_dlg.InitWorkThread();
    }
    ~PipelineHost() override { s_host = nullptr; }

    void Add(int tab, const std::string& path, int outType, int resize, int quality)
    {
        auto* item = new FileItem;
        item->m_nId = m_nextId++;
        item->m_strPath = AnsiToWide(path);
        item->m_nKind = tab;
        item->m_nOutType = outType;
        item->m_nResize = resize;
        item->m_nQuality = quality;
        m_dlg.GetTabItems(tab).push_back(item);
    }

    void SetOutDir(const std::string& folder) { m_dlg.m_strOutDir = AnsiToWide(folder); }

    // Starts the given tabs and pumps messages until all of them are idle again.
    void Run(const std::vector<int>& tabs)
    {
        for (int tab : tabs)
            m_dlg.StartConvert(tab);
        MSG msg;
        while (AnyConverting(tabs) && GetMessageW(&msg, nullptr, 0, 0) > 0)
            DispatchMessageW(&msg);
    }

    CMainDlg& Dialog() { return m_dlg; }
    const std::vector<ConvertResultRecord>& Results() const { return m_results; }

    void ShowConvertButtons(int, bool) override {}
    void SortLines(int) override {}
    void RefreshLine(int, int) override {}
    void ShowTips(const std::wstring&) override {}

private:
    bool AnyConverting(const std::vector<int>& tabs) const
    {
        for (int tab : tabs)
            if (m_dlg.IsConverting(tab))
                return true;
        return false;
    }

    static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (s_host != nullptr && msg >= WM_NC_CONVERT_RESULT && msg <= WM_CC_CONVERT_RESULT)
        {
            // keep a copy of the record before the handler deletes it
            s_host->m_results.push_back(*reinterpret_cast<ConvertResultRecord*>(wParam));
            LRESULT result = 0;
            s_host->m_dlg.HandleConvertMessage(msg, wParam, lParam, result);
            return result;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    static PipelineHost* s_host;
    CMainDlg m_dlg;
    HWND m_hwnd = nullptr;
    int m_nextId = 0;
    std::vector<ConvertResultRecord> m_results;
};
PipelineHost* PipelineHost::s_host = nullptr;

std::string OutputName(const std::string& outDir, const std::string& input, const char* ext)
{
    return outDir + "/" + std::filesystem::path(input).stem().string() + "." + ext;
}

// Files go round-robin to the tabs; the runs are started as given: {{0, 1, 2}} all at once,
// {{0}, {1}, {2}} one after the other. The compression tab re-encodes at full size, so that
// each tab's share costs about as much as a conversion.
double TimePipeline(const std::vector<std::string>& files, const std::string& outDir,
                    const std::vector<std::vector<int>>& runs, std::vector<double>* runSeconds = nullptr)
{
    g_bAppExit = false; // a program has one main window; this driver makes one per measurement
    PipelineHost host;
    host.SetOutDir(outDir);
    std::vector<int> tabs;
    for (const std::vector<int>& run : runs)
        tabs.insert(tabs.end(), run.begin(), run.end());
    for (size_t i = 0; i < files.size(); ++i)
        host.Add(tabs[i % tabs.size()], files[i], 1, 100, 90);
    const auto start = Clock::now();
    for (const std::vector<int>& run : runs)
    {
        const auto runStart = Clock::now();
        host.Run(run);
        if (runSeconds != nullptr)
            runSeconds->push_back(Seconds(runStart));
    }
    return Seconds(start);
}

// The same conversions as plain ConvertImageCommand calls: what the pipeline can reach at best.
double TimeDirect(const std::vector<std::string>& files, const std::string& outDir)
{
    const auto start = Clock::now();
    for (const std::string& file : files)
    {
        std::string output = OutputName(outDir, file, "jpg");
        char* argv[] = {const_cast<char*>("convert"), const_cast<char*>(file.c_str()), output.data(),
                        nullptr};
        ExceptionInfo* exception = AcquireExceptionInfo();
        ImageInfo* info = AcquireImageInfo();
        ConvertImageCommand(info, 3, argv, nullptr, exception);
        DestroyImageInfo(info);
        DestroyExceptionInfo(exception);
    }
    return Seconds(start);
}

// One /usr/bin/convert process per file, as a shell user would run it.
double TimeCli(const std::vector<std::string>& files, const std::string& outDir)
{
    const auto start = Clock::now();
    for (const std::string& file : files)
    {
        const std::string output = OutputName(outDir, file, "jpg");
        const pid_t pid = fork();
        if (pid == 0)
        {
            execl("/usr/bin/convert", "convert", file.c_str(), output.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
    }
    return Seconds(start);
}

std::string Fresh(const std::string& outDir, const char* name)
{
    const std::string folder = outDir + "/" + name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

int RunMode(int argc, char** argv)
{
    if (argc < 8)
        return 2;
    const int tab = std::atoi(argv[2]);
    const int outType = std::atoi(argv[3]);
    const std::string outDir = argv[4];
    PipelineHost host;
    host.SetOutDir(outDir);
    for (int i = 7; i < argc; ++i)
        host.Add(tab, argv[i], outType, std::atoi(argv[5]), std::atoi(argv[6]));
    const auto start = Clock::now();
    host.Run({tab});
    const double seconds = Seconds(start);
    for (const ConvertResultRecord& record : host.Results())
        std::printf("%d\t%s\t%s\t%s\n", record.m_nCode, WideToAnsi(record.m_strPath).c_str(),
                    WideToAnsi(record.m_strOutPath).c_str(), WideToAnsi(record.m_strError).c_str());
    const size_t count = host.Results().size();
    std::printf("files=%zu wall=%.3fs files_per_second=%.2f peak_memory=%ldMiB\n", count, seconds,
                seconds > 0 ? count / seconds : 0.0, PeakMemoryMiB());
    return 0;
}

int CompareMode(const std::string& outDir, const std::vector<std::string>& files)
{
    const double pipeline = TimePipeline(files, Fresh(outDir, "pipeline"), {{TAB_NORMAL}});
    const double direct = TimeDirect(files, Fresh(outDir, "direct"));
    const double cli = TimeCli(files, Fresh(outDir, "cli"));
    std::printf("files=%zu pipeline=%.3fs direct=%.3fs cli=%.3fs\n", files.size(), pipeline, direct, cli);
    std::printf("pipeline_speed_over_direct=%.3f pipeline_speed_over_cli=%.3f peak_memory=%ldMiB\n",
                direct / pipeline, cli / pipeline, PeakMemoryMiB());
    return 0;
}

int TabsMode(const std::string& outDir, const std::vector<std::string>& files)
{
    // Each tab's own time tells how far the three at once can get: no further than the slowest.
    std::vector<double> each;
    const double one =
        TimePipeline(files, Fresh(outDir, "one-tab"), {{TAB_NORMAL}, {TAB_HEIC}, {TAB_COMPRESS}}, &each);
    const double three =
        TimePipeline(files, Fresh(outDir, "three-tabs"), {{TAB_NORMAL, TAB_HEIC, TAB_COMPRESS}});
    const double slowest = *std::max_element(each.begin(), each.end());
    std::printf("files=%zu one_tab=%.3fs three_tabs=%.3fs three_tabs_speed_over_one=%.3f peak_memory=%ldMiB "
                "tabs_alone=%.3f/%.3f/%.3fs best_possible=%.3f\n",
                files.size(), one, three, one / three, PeakMemoryMiB(), each[0], each[1], each[2],
                one / slowest);
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    StartWithRuntimeSettings(argv); // as the program starts
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe");
    MagickStartup((exe.parent_path().parent_path() / "main" / "magick").string());
    const std::string mode = argc > 1 ? argv[1] : "";
    int result = 2;
    if (mode == "run")
        result = RunMode(argc, argv);
    else if ((mode == "compare" || mode == "tabs") && argc > 3)
    {
        const std::vector<std::string> files(argv + 3, argv + argc);
        result = mode == "compare" ? CompareMode(argv[2], files) : TabsMode(argv[2], files);
    }
    if (result == 2)
        std::fprintf(stderr, "usage: bench_convert run|compare|tabs ... (see the source's head comment)\n");
    MagickShutdown();
    return result;
}
