#include "common/base/CrashHandler.h"

#include "common/base/StringHelper.h"

#include "platform/CrashReport.h"
#include "platform/Display.h"
#include "platform/MessageBox.h"
#include "platform/Win32.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace
{
constexpr const wchar_t* kWrittenText = L"本程序遇到未处理的异常，MiniDump文件已经生成在程序的运行目录。";
constexpr const wchar_t* kFailedText = L"本程序遇到未处理的异常，生成MiniDump文件失败";

std::string ProgramPath()
{
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? WideToAnsi(path) : std::string();
}
} // namespace

CCrashHandler::CCrashHandler()
{
    if (const char* notice = std::getenv(kNoticeVariable); notice != nullptr)
        ShowNoticeAndExit(std::string(notice) == "1");
    const std::string program = ProgramPath();
    if (program.empty())
        return;
    platform::CrashReportSetup setup;
    setup.reportPath = program + ".dmp";
    const char* recorder = std::getenv(kNoticeProgramVariable);
    setup.noticeProgram = recorder != nullptr && *recorder != '\0' ? recorder : program;
    setup.noticeVariable = kNoticeVariable;
    platform::ArmCrashReport(setup);
}

CCrashHandler::~CCrashHandler()
{
    platform::DisarmCrashReport();
}

void CCrashHandler::ShowNoticeAndExit(bool reportWritten)
{
    const wchar_t* text = reportWritten ? kWrittenText : kFailedText;
    // Without a display the box cannot be seen: the text goes to the terminal instead.
    if (!platform::InitDisplayBackend())
        std::fprintf(stderr, "%s\n", WideToAnsi(text).c_str());
    MessageBoxW(nullptr, text, L"提示", MB_OK);
    std::exit(0);
}
