#pragma once
// The calling process's and thread's ids without a system call each time, as a real platform
// reads them from the thread's own block. A fork()ed child forgets what its parent knew, so
// its ids are its own from its first call.
#include <sys/types.h>

namespace standin::ids {

/// getpid(), cached per process.
pid_t Process();
/// The kernel's id of the calling thread (gettid()), cached per thread.
pid_t Thread();

}  // namespace standin::ids
