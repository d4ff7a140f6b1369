// Starting and stopping snmpd for the agent tests.
#include "tests/langmon_snmpd/SnmpdProcess.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

#include "langmon/snmp/SnmpBer.h"

namespace kvtest {
namespace {

using Clock = std::chrono::steady_clock;

constexpr char kCommunity[] = "vantel";
constexpr int32_t kProbeId = 0x4B56;
constexpr int kStopWaitMs = 1000;
constexpr int kStartTries = 3;

int ElapsedMs(Clock::time_point since) {
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

// A UDP socket on 127.0.0.1 closed with its owner.
class UdpSocket {
public:
    UdpSocket() : fd_(socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~UdpSocket() {
        if (fd_ >= 0) close(fd_);
    }
    UdpSocket(const UdpSocket&) = delete;
    UdpSocket& operator=(const UdpSocket&) = delete;
    int Get() const { return fd_; }

    // Binds to 127.0.0.1 at `port` (0: any free one); the port bound, or 0.
    uint16_t Bind(uint16_t port) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        local.sin_port = htons(port);
        socklen_t cb = sizeof local;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &cb) != 0) {
            return 0;
        }
        return ntohs(local.sin_port);
    }

private:
    int fd_;
};

// A free port that the agent will bind next: taken and given back at once.
uint16_t FreePort() {
    UdpSocket probe;
    return probe.Bind(0);
}

// One GetRequest for sysDescr; true when any GetResponse with our id comes back within
// `waitMs`. An error status counts too: the agent answers, whatever its pass program does.
bool Answers(uint16_t port, int waitMs) {
    UdpSocket s;
    if (s.Bind(0) == 0) return false;
    snmp::Oid name;
    if (!snmp::ParseOid("1.3.6.1.2.1.1.1.0", name)) return false;
    snmp::BindingOut binding;
    binding.name = &name;
    snmp::MessageOut request;
    request.community = kCommunity;
    request.pdu = snmp::BerTag::GetRequest;
    request.requestId = kProbeId;
    request.bindings = {&binding, 1};
    std::array<std::byte, 256> bytes;
    const size_t cb = snmp::EncodeMessage(request, bytes);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(port);
    if (cb == 0 || sendto(s.Get(), bytes.data(), cb, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to) < 0) {
        return false;
    }
    pollfd readable{s.Get(), POLLIN, 0};
    if (poll(&readable, 1, waitMs) != 1) return false;
    std::array<std::byte, 2048> answer;
    const ssize_t got = recv(s.Get(), answer.data(), answer.size(), 0);
    snmp::SnmpMessage message;
    return got > 0 && snmp::DecodeMessage({answer.data(), static_cast<size_t>(got)}, message) &&
           message.pdu == snmp::BerTag::GetResponse && message.requestId == kProbeId;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    return static_cast<bool>(out.flush());
}

// Starts the agent as our child in a process group of its own (its pass programs join it),
// with its output in `outPath`. It is told to end when this process ends, so a test run that
// crashes or is killed leaves no agent behind. Between fork and exec the child makes only
// async-signal-safe calls. The child's id, or -1.
pid_t Spawn(char* const* argv, char* const* envp, const char* outPath) {
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid != 0) return pid;
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);  // the test run ended before the line above
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    sigaction(SIGTERM, &plain, nullptr);
    sigaction(SIGPIPE, &plain, nullptr);
    const int in = open("/dev/null", O_RDONLY);
    const int out = open(outPath, O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) _exit(127);
    // Nothing of the test run's own (sockets, files) stays open in the agent.
    if (close_range(3, ~0U, 0) != 0) {
        for (int fd = 3; fd < 1024; ++fd) close(fd);
    }
    execve(argv[0], argv, envp);
    _exit(127);
}

}  // namespace

std::vector<std::string> PrinterSubtrees() {
    return {".1.3.6.1.2.1.1", ".1.3.6.1.2.1.25", ".1.3.6.1.2.1.43", ".1.3.6.1.4.1.253.8"};
}

bool SnmpdProcess::Start(const std::string& folder, const std::string& objectsFile, const std::string& passProgram,
                         uint16_t port, int limitMs) {
    Stop();
    folder_ = folder;
    objects_ = objectsFile;
    pass_ = passProgram;
    why_.clear();
    if (access(kSnmpdPath, X_OK) != 0) {
        why_ = std::string(kSnmpdPath) + " is not installed (Debian package snmpd)";
        return false;
    }
    if (access(passProgram.c_str(), X_OK) != 0) {
        why_ = "the pass program " + passProgram + " is not built";
        return false;
    }
    // The configuration's words are separated by blanks.
    if ((folder + passProgram).find_first_of(" \t") != std::string::npos) {
        why_ = "a blank in the path of " + folder + " or " + passProgram;
        return false;
    }
    // A free port can be taken by someone else before the agent binds it: try another.
    for (int attempt = 0; attempt < kStartTries; ++attempt) {
        bool portTaken = false;
        if (StartOnce(port != 0 ? port : FreePort(), limitMs, portTaken)) return true;
        if (!portTaken || port != 0) break;
    }
    return false;
}

bool SnmpdProcess::StartOnce(uint16_t port, int limitMs, bool& portTaken) {
    if (port == 0) {
        why_ = "no free UDP port on 127.0.0.1";
        return false;
    }
    const std::string state = folder_ + "/state";
    const std::string mibs = folder_ + "/mibs";
    const std::string conf = folder_ + "/snmpd.conf";
    const std::string log = folder_ + "/snmpd.log";
    const std::string pidFile = folder_ + "/snmpd.pid";
    for (const std::string& dir : {state, mibs}) {
        if (access(dir.c_str(), F_OK) != 0 && mkdir(dir.c_str(), 0700) != 0) {
            why_ = "cannot make " + dir;
            return false;
        }
    }
    std::ostringstream text;
    text << "# The test printer's agent: loopback only, SNMP v1 community vantel, the printer's\n"
            "# subtrees through the pass program.\n"
         << "agentaddress udp:127.0.0.1:" << port << "\n"
         << "rwcommunity " << kCommunity << " 127.0.0.1\n";
    for (const std::string& subtree : PrinterSubtrees()) {
        text << "pass_persist " << subtree << ' ' << pass_ << ' ' << objects_ << ' ' << subtree << "\n";
    }
    if (!WriteText(conf, text.str())) {
        why_ = "cannot write " + conf;
        return false;
    }
    std::remove(log.c_str());

    // -f stays in the foreground (our child), -C reads only our file, -I starts only the
    // access control and the pass modules: no system, host or network objects of its own,
    // no SMUX or AgentX listener.
    std::vector<std::string> args = {kSnmpdPath, "-f", "-C", "-c", conf, "-Lf", log, "-p", pidFile,
                                     "-I", "vacm_conf,pass_persist"};
    std::vector<std::string> env = {"SNMP_PERSISTENT_DIR=" + state, "SNMPCONFPATH=" + state, "MIBS=",
                                    "MIBDIRS=" + mibs, "HOME=" + folder_, "PATH=/usr/sbin:/usr/bin:/sbin:/bin"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    const std::string out = folder_ + "/snmpd.out";
    const auto started = Clock::now();
    const pid_t pid = Spawn(argv.data(), envp.data(), out.c_str());
    if (pid < 0) {
        why_ = std::string("fork of ") + kSnmpdPath + " failed: " + std::strerror(errno);
        return false;
    }
    pid_ = pid;
    port_ = port;

    while (ElapsedMs(started) < limitMs) {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = 0;
            const std::string tail = LogTail();
            portTaken = tail.find("Error opening specified endpoint") != std::string::npos;
            why_ = std::string("snmpd ended at start (") +
                   (WIFEXITED(status) ? "exit code " + std::to_string(WEXITSTATUS(status))
                                      : "signal " + std::to_string(WTERMSIG(status))) +
                   "): " + tail;
            return false;
        }
        if (Answers(port, 20)) {
            startupMs_ = ElapsedMs(started);
            return true;
        }
    }
    why_ = "snmpd did not answer on 127.0.0.1:" + std::to_string(port) + " within " + std::to_string(limitMs) +
           " ms: " + LogTail();
    Stop();
    return false;
}

void SnmpdProcess::Stop() {
    if (pid_ <= 0) return;
    const pid_t pid = pid_;
    pid_ = 0;
    kill(pid, SIGTERM);
    const auto asked = Clock::now();
    // Waited for without reaping: while it is not reaped its id names only its own group.
    siginfo_t info{};
    while (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0) {
        if (ElapsedMs(asked) > kStopWaitMs) {
            kill(pid, SIGKILL);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    // Its pass programs end when their input closes; any still running go with the group.
    kill(-pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
}

std::string SnmpdProcess::Version() const {
    const std::string log = ReadText(folder_ + "/snmpd.log");
    const size_t at = log.find("NET-SNMP version");
    if (at == std::string::npos) return {};
    return log.substr(at, log.find('\n', at) - at);
}

std::string SnmpdProcess::LogTail() const {
    std::string text = ReadText(folder_ + "/snmpd.log") + ReadText(folder_ + "/snmpd.out");
    constexpr size_t kTail = 600;
    if (text.size() > kTail) text.erase(0, text.size() - kTail);
    for (char& c : text) {
        if (c == '\n') c = ' ';
    }
    return text.empty() ? "(the agent wrote nothing)" : text;
}

}  // namespace kvtest
