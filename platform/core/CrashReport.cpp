// The crash signal handler. It runs in a process that is already broken, so it only uses what
// was prepared when arming and calls nothing but system calls and the async-signal-safe
// backtrace functions (their library is loaded at arming, so the first use inside the handler
// does not have to load it).
#include "platform/CrashReport.h"
#include "platform/UniqueFd.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <execinfo.h>
#include <fcntl.h>
#include <mutex>
#include <string>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <ucontext.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace platform
{
namespace
{
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
constexpr int kSignalCount = sizeof(kSignals) / sizeof(kSignals[0]);
constexpr size_t kAltStackSize = 128 * 1024;
constexpr int kMaxFrames = 64;

// What the handler reads; built while arming, never changed while armed.
struct ArmedState
{
    std::string reportPath;
    std::string noticeProgram;
    std::vector<std::string> environment; // the last entry is the marker, ending in '1'
    std::vector<char*> envp;
    char* argv[2] = {nullptr, nullptr};
    char* marker = nullptr; // the digit of the marker entry
    struct sigaction previous[kSignalCount];
};

std::mutex g_armLock;
std::atomic<ArmedState*> g_state{nullptr};
std::atomic<int> g_reporting{0};

// ---- Writing without allocation ---------------------------------------------------------------

class ReportWriter
{
public:
    explicit ReportWriter(int fd) : m_fd(fd) {}

    ReportWriter& Text(const char* text) { return Bytes(text, std::strlen(text)); }
    ReportWriter& Bytes(const char* data, size_t size)
    {
        while (size > 0)
        {
            const ssize_t written = ::write(m_fd, data, size);
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0)
            {
                m_ok = false;
                return *this;
            }
            data += written;
            size -= static_cast<size_t>(written);
        }
        return *this;
    }
    ReportWriter& Decimal(long long value)
    {
        char digits[24];
        int count = 0;
        unsigned long long rest = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : value;
        do
        {
            digits[count++] = static_cast<char>('0' + rest % 10);
            rest /= 10;
        } while (rest != 0);
        if (value < 0)
            digits[count++] = '-';
        return Reversed(digits, count);
    }
    ReportWriter& Hex(unsigned long long value)
    {
        char digits[20];
        int count = 0;
        do
        {
            digits[count++] = "0123456789abcdef"[value & 0xF];
            value >>= 4;
        } while (value != 0);
        digits[count++] = 'x';
        digits[count++] = '0';
        return Reversed(digits, count);
    }
    bool Ok() const { return m_ok; }
    void Fail() { m_ok = false; }

private:
    ReportWriter& Reversed(const char* digits, int count)
    {
        char text[24];
        for (int i = 0; i < count; ++i)
            text[i] = digits[count - 1 - i];
        return Bytes(text, static_cast<size_t>(count));
    }

    int m_fd;
    bool m_ok = true;
};

const char* SignalName(int signal)
{
    switch (signal)
    {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGILL:
        return "SIGILL";
    case SIGFPE:
        return "SIGFPE";
    case SIGABRT:
        return "SIGABRT";
    default:
        return "signal";
    }
}

void WriteHeader(ReportWriter& out, int signal, const siginfo_t* info, const void* context)
{
    out.Text("crash report\nprogram: ");
    char exe[512];
    const ssize_t length = ::readlink("/proc/self/exe", exe, sizeof(exe));
    if (length > 0)
        out.Bytes(exe, static_cast<size_t>(length));
    out.Text("\nprocess: ").Decimal(::getpid());
    char name[17] = {};
    ::prctl(PR_GET_NAME, name, 0, 0, 0);
    out.Text("\nthread: ").Decimal(::syscall(SYS_gettid)).Text(" (").Text(name).Text(")");
    out.Text("\nsignal: ").Decimal(signal).Text(" (").Text(SignalName(signal)).Text("), code ");
    out.Decimal(info != nullptr ? info->si_code : 0);
    out.Text("\naddress: ").Hex(info != nullptr ? reinterpret_cast<unsigned long long>(info->si_addr) : 0);
#if defined(__x86_64__)
    if (context != nullptr)
    {
        const auto* uc = static_cast<const ucontext_t*>(context);
        out.Text("\ninstruction: ").Hex(static_cast<unsigned long long>(uc->uc_mcontext.gregs[REG_RIP]));
    }
#else
    static_cast<void>(context);
#endif
    out.Text("\n");
}

void WriteBacktrace(ReportWriter& out, int fd)
{
    out.Text("\nbacktrace:\n");
    void* frames[kMaxFrames];
    const int count = ::backtrace(frames, kMaxFrames);
    // Return addresses, one byte back: a call that ends a function (abort, throw) returns past
    // its end, and the name would be the next function's.
    for (int i = 0; i < count; ++i)
        frames[i] = static_cast<char*>(frames[i]) - 1;
    ::backtrace_symbols_fd(frames, count, fd);
}

void WriteMemoryMap(ReportWriter& out)
{
    out.Text("\nmemory map:\n");
    const UniqueFd maps(::open("/proc/self/maps", O_RDONLY | O_CLOEXEC));
    if (!maps)
    {
        out.Fail();
        return;
    }
    char buffer[1024];
    for (;;)
    {
        const ssize_t got = ::read(maps.get(), buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        out.Bytes(buffer, static_cast<size_t>(got));
    }
}

// Starts the notice program in a child that nobody waits for. _Fork runs no fork handlers, so
// a crash inside the allocator cannot deadlock here.
void StartNotice(ArmedState* state)
{
    if (state->noticeProgram.empty())
        return;
    const pid_t child = ::_Fork();
    if (child != 0)
        return;
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr); // the crash signal is blocked in the handler
    ::execve(state->noticeProgram.c_str(), state->argv, state->envp.data());
    ::_exit(127);
}

[[noreturn]] void EndWithSignal(int signal)
{
    struct sigaction action
    {
    };
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal, &action, nullptr);
    ::syscall(SYS_tgkill, ::getpid(), ::syscall(SYS_gettid), signal);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, signal);
    ::sigprocmask(SIG_UNBLOCK, &set, nullptr);
    ::_exit(128 + signal);
}

// A link planted where the report belongs (dangling or not) is never written through.
int OpenReportFile(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno == ELOOP)
    {
        static const char kRefused[] = "crash report not written: its path is a symbolic link\n";
        const ssize_t ignored = ::write(STDERR_FILENO, kRefused, sizeof(kRefused) - 1);
        (void)ignored;
    }
    return fd;
}

void OnCrashSignal(int signal, siginfo_t* info, void* context) noexcept
{
    if (g_reporting.exchange(1) != 0)
        EndWithSignal(signal); // a crash while reporting one: no second report
    ArmedState* state = g_state.load();
    if (state != nullptr)
    {
        UniqueFd fd(OpenReportFile(state->reportPath));
        if (fd)
        {
            ReportWriter out(fd.get());
            WriteHeader(out, signal, info, context);
            WriteBacktrace(out, fd.get());
            WriteMemoryMap(out);
            const bool closed = fd.Close();
            *state->marker = out.Ok() && closed ? '1' : '0';
            StartNotice(state);
        }
    }
    EndWithSignal(signal);
}

ArmedState* BuildState(const CrashReportSetup& setup)
{
    auto* state = new ArmedState;
    state->reportPath = setup.reportPath;
    state->noticeProgram = setup.noticeProgram;
    const std::string prefix = setup.noticeVariable + "=";
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry)
    {
        if (std::strncmp(*entry, prefix.c_str(), prefix.size()) != 0)
            state->environment.emplace_back(*entry);
    }
    state->environment.push_back(prefix + "1");
    for (std::string& entry : state->environment)
        state->envp.push_back(entry.data());
    state->envp.push_back(nullptr);
    std::string& marker = state->environment.back();
    state->marker = &marker[marker.size() - 1];
    state->argv[0] = state->noticeProgram.data();
    return state;
}

// Frees the calling thread's alternate stack when the thread ends.
struct ThreadAltStack
{
    void* memory = nullptr;
    ~ThreadAltStack()
    {
        if (memory == nullptr)
            return;
        stack_t off{};
        off.ss_flags = SS_DISABLE;
        ::sigaltstack(&off, nullptr);
        ::munmap(memory, kAltStackSize);
    }
};
thread_local ThreadAltStack t_altStack;
} // namespace

void PrepareThreadForCrashes()
{
    if (g_state.load() == nullptr || t_altStack.memory != nullptr)
        return;
    stack_t current{};
    if (::sigaltstack(nullptr, &current) == 0 && (current.ss_flags & SS_DISABLE) == 0)
        return; // someone (a sanitizer) gave the thread one already
    void* memory = ::mmap(nullptr, kAltStackSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (memory == MAP_FAILED)
        return;
    stack_t stack{};
    stack.ss_sp = memory;
    stack.ss_size = kAltStackSize;
    if (::sigaltstack(&stack, nullptr) != 0)
    {
        ::munmap(memory, kAltStackSize);
        return;
    }
    t_altStack.memory = memory;
}

bool ArmCrashReport(const CrashReportSetup& setup)
{
    std::lock_guard<std::mutex> lock(g_armLock);
    void* warmUp[1];
    ::backtrace(warmUp, 1); // loads the unwinder now, not inside the handler
    ArmedState* state = BuildState(setup);
    ArmedState* old = g_state.load();
    struct sigaction action
    {
    };
    action.sa_sigaction = &OnCrashSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kSignalCount; ++i)
    {
        if (old != nullptr)
            state->previous[i] = old->previous[i];
        if (::sigaction(kSignals[i], &action, old != nullptr ? nullptr : &state->previous[i]) != 0)
        {
            delete state;
            return false;
        }
    }
    g_state.store(state);
    delete old; // an earlier arming: its handler is the same, only its data goes
    PrepareThreadForCrashes();
    return true;
}

void DisarmCrashReport()
{
    std::lock_guard<std::mutex> lock(g_armLock);
    ArmedState* state = g_state.load();
    if (state == nullptr)
        return;
    for (int i = 0; i < kSignalCount; ++i)
        ::sigaction(kSignals[i], &state->previous[i], nullptr);
    g_state.store(nullptr);
    delete state;
}
} // namespace platform
