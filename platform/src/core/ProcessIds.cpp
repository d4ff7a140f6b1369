#include "platform/src/core/ProcessIds.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>

namespace standin::ids {
namespace {

std::atomic<pid_t> process{0};
thread_local pid_t thread = 0;

// The child has one thread, the one that called fork(): it and the process are new.
void ForgetInChild() {
    process.store(0, std::memory_order_relaxed);
    thread = 0;
}

// Registered before any id is handed out, so no child can inherit a cached id unnoticed.
const bool registered = pthread_atfork(nullptr, nullptr, ForgetInChild) == 0;

}  // namespace

pid_t Process() {
    pid_t id = process.load(std::memory_order_relaxed);
    if (id == 0 || !registered) {
        id = getpid();
        process.store(id, std::memory_order_relaxed);
    }
    return id;
}

pid_t Thread() {
    if (thread == 0 || !registered) thread = static_cast<pid_t>(syscall(SYS_gettid));
    return thread;
}

}  // namespace standin::ids
