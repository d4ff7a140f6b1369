#include "tests/support/ChildProcess.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>

#include "platform/StandIn.h"
#include "tests/support/TestRun.h"

extern char** environ;

namespace kvtest {
namespace {

constexpr const char* kChildOption = "--kv-child-routine";

std::map<std::string, ChildRoutine>& Routines() {
    static std::map<std::string, ChildRoutine> routines;
    return routines;
}

std::string ThisProgram() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    path[n] = '\0';
    return path;
}

}  // namespace

bool RegisterChildRoutine(const char* name, ChildRoutine routine) {
    Routines()[name] = routine;
    return true;
}

int RunInChildProcess(const char* name, const std::vector<std::string>& args) {
    std::vector<std::string> words;
    if (const char* emulator = Emulator()) words.push_back(emulator);
    words.push_back(ThisProgram());
    words.push_back(kChildOption);
    words.push_back(name);
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    // The child's environment: this one, with this process's stand-in root.
    std::string root = "KV_STANDIN_ROOT=" + standin::Root();
    std::vector<char*> environment;
    for (char** entry = environ; *entry != nullptr; ++entry)
        if (std::strncmp(*entry, "KV_STANDIN_ROOT=", 16) != 0) environment.push_back(*entry);
    environment.push_back(root.data());
    environment.push_back(nullptr);

    pid_t child = 0;
    if (posix_spawn(&child, argv[0], nullptr, nullptr, argv.data(), environment.data()) != 0) return -1;
    int status = 0;
    pid_t waited = 0;
    while ((waited = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    if (waited != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

bool RunChildRoutineIfAsked(int argc, char** argv, int* exitCode) {
    if (argc < 3 || std::strcmp(argv[1], kChildOption) != 0) return false;
    const auto found = Routines().find(argv[2]);
    if (found == Routines().end()) {
        *exitCode = 127;
        return true;
    }
    standin::AddModuleFolder(KV_OUT_DIR);
    *exitCode = found->second(std::vector<std::string>(argv + 3, argv + argc));
    return true;
}

}  // namespace kvtest
