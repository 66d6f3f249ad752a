#include "common/base/Log.h"

#include "common/base/PathHelper.h"
#include "common/base/StringHelper.h"

#include <algorithm>
#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <iostream>

LockHelper g_logLock;

namespace
{
constexpr size_t kTextChars = 4000;
constexpr size_t kLineChars = 4096;
constexpr size_t kTimeChars = 64;
constexpr DWORD kIdleSleepMs = 100;

const wchar_t* LineFormat(int level)
{
    switch (level)
    {
    case LOG_LEVEL_INFO:
        return L"[%d][%s][INFO]%s";
    case LOG_LEVEL_WARN:
        return L"[%d][%s][WARN]%s";
    case LOG_LEVEL_ERROR:
        return L"[%d][%s][ERROR]%s";
    default:
        return L"[%d][%s][DEBUG]%s";
    }
}

std::wstring LocalTimeField()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    wchar_t field[kTimeChars] = {};
    _snwprintf(field, kTimeChars, L"%d-%02d-%02d %02d:%02d:%02d.%03d", now.wYear, now.wMonth, now.wDay,
               now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    return field;
}

// Reads the next "%d" the way sscanf would, 0 when there is none; strtol keeps an
// overlong number in range.
bool ReadNumber(const char*& cursor, long& value)
{
    char* end = nullptr;
    value = std::strtol(cursor, &end, 10);
    if (end == cursor)
        return false;
    cursor = end;
    return true;
}

std::array<long, 4> LogDateNumbers(const std::string& name)
{
    std::array<long, 4> numbers{};
    const char* cursor = name.c_str();
    for (size_t i = 0; i < numbers.size(); ++i)
    {
        if (i > 0 && *cursor++ != '-')
            break;
        if (!ReadNumber(cursor, numbers[i]))
            break;
    }
    return numbers;
}
} // namespace

CLog* CLog::GetInstance()
{
    static CLog instance;
    return &instance;
}

CLog::~CLog()
{
    Stop();
}

void CLog::Init(const char* logDir, const char* fileName)
{
    if (logDir == nullptr)
        return;
    CreateDirectoryTree(std::string(logDir));
    LockGuard guard(&g_logLock);
    m_strLogDir = logDir;
    std::string name;
    if (fileName != nullptr)
        name = fileName;
    else
    {
        name = GetLogFileName();
        DeleteOldLogs(7);
    }
    m_strLogPath = m_strLogDir + "/" + name;
    m_spFile = std::make_shared<LocalFileHandler>();
    if (!m_spFile->Open(m_strLogPath.c_str(), "a+"))
        std::printf("open file=%s error=%d", m_strLogPath.c_str(), static_cast<int>(GetLastError()));
    Start();
}

void CLog::WriteLog(int level, const wchar_t* sourceFile, int line, const wchar_t* function,
                    const wchar_t* format, ...)
{
    if (level < m_nLevel)
        return;
    wchar_t text[kTextChars] = {};
    va_list args;
    va_start(args, format);
    _vsnwprintf(text, kTextChars, format, args); // cuts to kTextChars - 1 and terminates
    va_end(args);
    wchar_t lineText[kLineChars] = {};
    _snwprintf(lineText, kLineChars, LineFormat(level), static_cast<int>(GetCurrentThreadId()),
               LocalTimeField().c_str(), text);
    PushLine(WideToAnsi(lineText));
}

void CLog::PushLine(const std::string& line)
{
    LockGuard guard(&g_logLock);
    m_listLines.push_back(line);
}

bool CLog::Start()
{
    if (m_writer.IsStarted() || m_writer.Start([this](const std::stop_token& stop) { Run(stop); }))
        return true;
    std::cout << "create thread error! \r\n" << std::endl;
    return false;
}

bool CLog::Stop()
{
    if (!m_writer.IsStarted())
        return false;
    m_writer.Stop();
    m_spFile.reset();
    return true;
}

void CLog::Run(const std::stop_token& stop)
{
    // Stop only ends the writer once the queue is drained, so a program's last lines
    // (its exit line among them) reach the file.
    for (;;)
    {
        if (WriteNextLine())
            continue;
        if (stop.stop_requested())
            break;
        Sleep(kIdleSleepMs);
    }
}

bool CLog::WriteNextLine()
{
    LockGuard guard(&g_logLock);
    if (m_listLines.empty())
        return false;
    // Linux has no text-mode translation: lines end with "\n" alone.
    const std::string line = m_listLines.front() + "\n";
    m_listLines.pop_front();
    if (m_bDebugOutput)
        OutputDebugStringA(line.c_str());
    else
        WriteToFile(line);
    return true;
}

void CLog::WriteToFile(const std::string& line)
{
    if (!m_spFile)
        return;
    if (!m_spFile->IsOpen())
        m_spFile->Open(m_strLogPath.c_str(), "a+");
    if (m_spFile->IsOpen() && !line.empty())
        m_spFile->Write(line.data(), line.size());
    m_spFile->Close();
}

std::string CLog::GetLogFileName()
{
    SYSTEMTIME now{};
    GetLocalTime(&now);
    char name[64] = {};
    std::snprintf(name, sizeof(name), "%d-%02d-%02d.log", now.wYear, now.wMonth, now.wDay);
    return name;
}

void CLog::DeleteOldLogs(int keep)
{
    const std::wstring dir = AnsiToWide(m_strLogDir);
    if (PathExists(dir, 0) == -1)
        return;
    std::vector<std::string> names;
    FindFilesRecursive(m_strLogDir, &names);
    if (keep < 0 || names.size() <= static_cast<size_t>(keep))
        return;
    std::stable_sort(names.begin(), names.end(), CompareLogDate);
    names.erase(names.begin(), names.begin() + keep);
    for (const std::string& name : names)
    {
        const std::wstring path = dir + L"/" + AnsiToWide(name);
        if (PathExists(path, 0) != -1)
            RemoveFile(path);
    }
}

void FindFilesRecursive(const std::string& folder, std::vector<std::string>* names)
{
    ForEachDirectoryEntry(AnsiToWide(folder) + L"/*", [&folder, names](const _wfinddata_t& entry) {
        const std::wstring name = entry.name;
        if (name == L"." || name == L"..")
            return;
        // A symbolic link never carries _A_SUBDIR, so the walk stays inside the folder.
        if (entry.attrib & _A_SUBDIR)
            FindFilesRecursive(folder + "/" + WideToAnsi(name), names);
        else if (name.find(L".log") != std::wstring::npos)
            names->push_back(WideToAnsi(name));
    });
}

bool CompareLogDate(const std::string& a, const std::string& b)
{
    return LogDateNumbers(a) > LogDateNumbers(b);
}
