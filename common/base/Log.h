#pragma once
// The process-wide log writer: lines are formatted on the calling thread, queued, and
// appended to the log file (or handed to the debug channel) by one writer thread.

#include "common/base/LocalFileHandler.h"
#include "common/base/LockHelper.h"
#include "common/base/WorkerThread.h"

#include <atomic>
#include <list>
#include <memory>
#include <string>
#include <vector>

enum LogLevel
{
    LOG_LEVEL_DEBUG = 0,
    LOG_LEVEL_INFO = 1,
    LOG_LEVEL_WARN = 2,
    LOG_LEVEL_ERROR = 3,
};

// Guards the log queue and CLog::Init; always the innermost lock.
extern LockHelper g_logLock;

class CLog
{
public:
    static CLog* GetInstance();

    // Public so that a test can run a writer of its own; programs use GetInstance.
    CLog() = default;
    ~CLog();
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;

    // Creates the folder, prunes old dated logs when no name is given, opens the file and
    // starts the writer thread (once).
    void Init(const char* logDir, const char* fileName);
    // The format is a Windows-style wide format ("%s" takes a wide string).
    void WriteLog(int level, const wchar_t* sourceFile, int line, const wchar_t* function,
                  const wchar_t* format, ...);
    // Starts the writer thread (one at a time: true when it runs already); false when it
    // cannot start.
    bool Start();
    bool IsStarted() const { return m_writer.IsStarted(); }
    // Ends the writer after every queued line is written; false when no writer runs.
    bool Stop();

    std::string GetLogFileName();
    void DeleteOldLogs(int keep);
    void PushLine(const std::string& line);

    // Set directly by WinMain before or after Init.
    std::atomic<int> m_nLevel{LOG_LEVEL_INFO};
    std::atomic<bool> m_bDebugOutput{false};

private:
    // The writer: drains the queue, and ends on the stop request once it is empty.
    void Run(const std::stop_token& stop);
    // Writes the first queued line; false when the queue was empty.
    bool WriteNextLine();
    void WriteToFile(const std::string& line);

    std::shared_ptr<LocalFileHandler> m_spFile;
    std::list<std::string> m_listLines;
    std::string m_strLogDir;
    std::string m_strLogPath;
    CWorkerThread m_writer;
};

// Names (without folders) of the files below folder whose name contains ".log".
void FindFilesRecursive(const std::string& folder, std::vector<std::string>* names);
// Newest first: true when the leading "%d-%d-%d-%d" numbers of a are greater than those of b.
bool CompareLogDate(const std::string& a, const std::string& b);

#define PICTAVO_LOG(level, function, ...)                                                                    \
    CLog::GetInstance()->WriteLog(level, L"" __FILE__, __LINE__, function, __VA_ARGS__)
#define LOG_DEBUG(function, ...) PICTAVO_LOG(LOG_LEVEL_DEBUG, function, __VA_ARGS__)
#define LOG_INFO(function, ...) PICTAVO_LOG(LOG_LEVEL_INFO, function, __VA_ARGS__)
#define LOG_WARN(function, ...) PICTAVO_LOG(LOG_LEVEL_WARN, function, __VA_ARGS__)
#define LOG_ERROR(function, ...) PICTAVO_LOG(LOG_LEVEL_ERROR, function, __VA_ARGS__)
