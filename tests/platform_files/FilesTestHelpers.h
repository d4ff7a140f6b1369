#pragma once
// Values and helpers shared by the file and registry stand-ins' tests.
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Kernel.h"

/// Written into out-parameters and the last error before a call, to show what the call left alone.
inline constexpr DWORD kUntouched = 0xDEADBEEF;

/// Runs `child` in a forked process; true when it returned true there.
template <typename F>
bool InChild(F child) {
    const pid_t pid = fork();
    if (pid == 0) _exit(child() ? 0 : 1);
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
