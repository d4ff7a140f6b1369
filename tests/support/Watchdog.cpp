#include "tests/support/Watchdog.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <semaphore.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/StandIn.h"
#include "tests/support/TestRun.h"

namespace kvtest {
namespace {

using Clock = std::chrono::steady_clock;

// What the binary is doing and since when; written by the listener, read by the watchdog.
struct Progress {
    std::mutex lock;
    std::string doing = "starting, before the first test";
    Clock::time_point since = Clock::now();
};

Progress& TheProgress() {
    static auto* progress = new Progress();  // never destroyed: the watchdog outlives main
    return *progress;
}

void Note(std::string doing) {
    Progress& progress = TheProgress();
    std::lock_guard<std::mutex> guard(progress.lock);
    progress.doing = std::move(doing);
    progress.since = Clock::now();
}

std::string NameOf(const testing::TestInfo& test) {
    return std::string(test.test_suite_name()) + "." + test.name();
}

class ProgressListener : public testing::EmptyTestEventListener {
    void OnTestStart(const testing::TestInfo& test) override { Note("running " + NameOf(test)); }
    void OnTestEnd(const testing::TestInfo& test) override { Note("after " + NameOf(test) + ", between tests"); }
    void OnTestProgramEnd(const testing::UnitTest&) override { Note("ending, after the last test"); }
};

void Say(const std::string& text) {
    std::fflush(stdout);
    const char* at = text.data();
    size_t left = text.size();
    while (left > 0) {
        const ssize_t n = write(STDERR_FILENO, at, left);
        if (n <= 0) return;
        at += n;
        left -= static_cast<size_t>(n);
    }
}

// --- Stacks through the debugger: symbolised, with every thread ---

std::string FindOnPath(const char* program) {
    const char* path = std::getenv("PATH");
    std::string folders = path != nullptr ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        const size_t end = std::min(folders.find(':', start), folders.size());
        const std::string candidate = folders.substr(start, end - start) + "/" + program;
        if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

bool StacksFromDebugger() {
    const std::string gdb = FindOnPath("gdb");
    if (gdb.empty()) return false;
    prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
    const std::string pid = std::to_string(getpid());
    const pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execl(gdb.c_str(), "gdb", "-batch", "-nx", "-q", "-p", pid.c_str(), "-ex", "thread apply all bt", nullptr);
        _exit(127);
    }
    int status = 0;
    const auto end = Clock::now() + std::chrono::seconds(90);
    while (waitpid(child, &status, WNOHANG) == 0) {
        if (Clock::now() > end) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// --- Stacks from inside: each thread records its own when signalled ---

sem_t g_recorded;
const int kStackSignal = SIGRTMIN + 7;
void* g_frames[64];
std::atomic<int> g_frameCount{0};

void RecordOwnStack(int) {
    g_frameCount.store(backtrace(g_frames, 64));
    sem_post(&g_recorded);
}

// "function at file:line" of a code address, through addr2line where it is installed. A
// return address points after its call: the byte before it is looked up.
std::string Describe(const void* address, bool returnAddress) {
    char text[512];
    Dl_info info{};
    if (dladdr(address, &info) == 0 || info.dli_fname == nullptr) {
        std::snprintf(text, sizeof text, "%p", address);
        return text;
    }
    const auto offset = reinterpret_cast<std::uintptr_t>(address) - reinterpret_cast<std::uintptr_t>(info.dli_fbase) -
                        (returnAddress ? 1 : 0);
    std::string where;
    if (const std::string addr2line = FindOnPath("addr2line"); !addr2line.empty()) {
        std::snprintf(text, sizeof text, " 0x%zx 2>/dev/null", static_cast<size_t>(offset));
        const std::string command = "'" + addr2line + "' -C -f -p -e '" + info.dli_fname + "'" + text;
        if (FILE* out = popen(command.c_str(), "r")) {
            if (std::fgets(text, sizeof text, out) != nullptr) where = text;
            pclose(out);
        }
    }
    while (!where.empty() && where.back() == '\n') where.pop_back();
    if (where.empty() || where.rfind("??", 0) == 0)
        where = std::string(info.dli_sname != nullptr ? info.dli_sname : "?") + " in " + info.dli_fname;
    return where;
}

bool PrintStackOf(long thread, const std::string& title) {
    Say("--- thread " + std::to_string(thread) + ", " + title + "\n");
    g_frameCount.store(0);
    if (syscall(SYS_tgkill, getpid(), thread, kStackSignal) != 0) {
        Say("    (gone)\n");
        return false;
    }
    timespec until{};
    clock_gettime(CLOCK_REALTIME, &until);
    until.tv_sec += 3;
    int waited = 0;
    while ((waited = sem_timedwait(&g_recorded, &until)) != 0 && errno == EINTR) {
    }
    if (waited != 0) {
        Say("    (did not answer)\n");
        return false;
    }
    for (int i = 0; i < g_frameCount.load(); ++i) Say("    " + std::to_string(i) + " " + Describe(g_frames[i], true) + "\n");
    return true;
}

// The main thread and the platform's threads, named by their start routines. Only threads
// the program itself started are signalled: under an emulator, the emulator's own threads
// share the process and cannot take the program's signal.
void StacksFromThreads() {
    PrintStackOf(getpid(), "main");
    for (const standin::RunningThread& thread : standin::RunningThreads())
        PrintStackOf(thread.linuxThreadId, "started at " + Describe(reinterpret_cast<const void*>(thread.start), false));
}

void InstallStackPrinter() {
    sem_init(&g_recorded, 0, 0);
    void* warm[1];
    backtrace(warm, 1);  // loads the unwinder now, not inside a signal handler
    struct sigaction action {};
    action.sa_handler = RecordOwnStack;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(kStackSignal, &action, nullptr);
}

[[noreturn]] void Bite(const std::string& doing, long seconds) {
    Say("\n*** watchdog: no progress for " + std::to_string(seconds) + " s, " + doing +
        "\n*** stacks of every thread follow\n");
    // The debugger attaches to the emulator, not to the program it runs: there the threads
    // record their own stacks.
    if (RunsUnderEmulator() || !StacksFromDebugger()) StacksFromThreads();
    Say("*** watchdog: the test binary fails, " + doing + "\n");
    _exit(3);
}

void Watch(long boundSeconds) {
    for (;;) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        std::string doing;
        Clock::time_point since;
        {
            Progress& progress = TheProgress();
            std::lock_guard<std::mutex> guard(progress.lock);
            doing = progress.doing;
            since = progress.since;
        }
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - since).count();
        if (seconds >= boundSeconds) Bite(doing, static_cast<long>(seconds));
    }
}

}  // namespace

void StartWatchdog(int defaultSeconds) {
    long bound = defaultSeconds;
    if (const char* given = std::getenv("KV_WATCHDOG_SECONDS"); given != nullptr && std::atol(given) > 0)
        bound = std::atol(given);
    InstallStackPrinter();
    Note("starting, before the first test");
    testing::UnitTest::GetInstance()->listeners().Append(new ProgressListener());
    std::thread(Watch, bound).detach();
}

}  // namespace kvtest
