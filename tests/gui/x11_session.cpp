#include "gui/x11_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace kararisu::test {

namespace {

X11Session* g_session = nullptr;
std::string g_reason = "no window manager was started";

// The full path of a program on PATH, or empty.
std::string onPath(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        const std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return {};
}

struct Spawn {
    std::string program;
    std::vector<std::string> arguments;
    std::vector<std::pair<std::string, std::string>> environment;  // set in the child
    std::string log;
    int keepFd = -1;  // passed on as descriptor 3
};

// Starts a child that gets SIGTERM when this process ends, however it ends.
pid_t spawn(const Spawn& s) {
    std::vector<std::string> words{s.program};
    words.insert(words.end(), s.arguments.begin(), s.arguments.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    // The child: only async-signal-safe calls until exec, but for setenv
    // (this process has started no threads yet).
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) ::_exit(127);
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0) ::dup2(null, 0);
    const int log = ::open(s.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (log >= 0) {
        ::dup2(log, 1);
        ::dup2(log, 2);
    }
    if (s.keepFd >= 0) ::dup2(s.keepFd, 3);
    for (const auto& [name, value] : s.environment) ::setenv(name.c_str(), value.c_str(), 1);
    ::execv(s.program.c_str(), argv.data());
    ::_exit(127);
}

void stop(pid_t& pid) {
    if (pid <= 0) return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid) {
            pid = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
    pid = -1;
}

bool exited(pid_t pid) {
    return ::waitpid(pid, nullptr, WNOHANG) == pid;
}

std::string tail(const std::string& file) {
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.size() > 400 ? text.substr(text.size() - 400) : text;
}

constexpr int kStartMs = 10000;

}  // namespace

std::unique_ptr<X11Session> X11Session::start() {
    std::string& whyNot = g_reason;
    const std::string server = onPath("Xvfb");
    const std::string manager = onPath("openbox");
    if (server.empty() || manager.empty()) {
        whyNot = server.empty() ? "Xvfb is not installed" : "openbox is not installed";
        return nullptr;
    }
    char pattern[] = "/tmp/kararisu-wm-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) {
        whyNot = std::string("no temporary folder: ") + std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<X11Session> session(new X11Session);
    session->folder_ = pattern;
    const std::string& folder = session->folder_;

    // Xvfb writes its display number to descriptor 3 once it takes clients.
    int number[2];
    if (::pipe2(number, O_CLOEXEC) != 0) {
        whyNot = std::string("no pipe: ") + std::strerror(errno);
        return nullptr;
    }
    session->server_ =
        spawn(Spawn{server,
                    {"-displayfd", "3", "-screen", "0",
                     std::to_string(kScreenWidth) + "x" + std::to_string(kScreenHeight) + "x24",
                     "-nolisten", "tcp", "-noreset"},
                    {},
                    folder + "/xvfb.log",
                    number[1]});
    ::close(number[1]);
    std::string digits;
    QElapsedTimer clock;
    clock.start();
    while (digits.find('\n') == std::string::npos && clock.elapsed() < kStartMs) {
        pollfd p{number[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char c[16];
        const ssize_t n = ::read(number[0], c, sizeof c);
        if (n <= 0) break;
        digits.append(c, std::size_t(n));
    }
    ::close(number[0]);
    if (digits.find('\n') == std::string::npos) {
        whyNot = "Xvfb did not start: " + tail(folder + "/xvfb.log");
        return nullptr;
    }
    session->display_ = ":" + digits.substr(0, digits.find('\n'));

    // openbox runs its start-up command once it manages the screen. Its
    // configuration is the system's, not the user's.
    const std::string ready = folder + "/ready";
    session->manager_ = spawn(Spawn{manager,
                                    {"--sm-disable", "--startup", "touch " + ready},
                                    {{"DISPLAY", session->display_},
                                     {"HOME", folder},
                                     {"XDG_CONFIG_HOME", folder + "/config"},
                                     {"XDG_CACHE_HOME", folder + "/cache"},
                                     {"XDG_DATA_HOME", folder + "/data"}},
                                    folder + "/openbox.log"});
    while (!std::filesystem::exists(ready)) {
        if (clock.elapsed() > kStartMs || exited(session->manager_)) {
            if (clock.elapsed() <= kStartMs) session->manager_ = -1;  // already reaped
            whyNot = "openbox did not start: " + tail(folder + "/openbox.log");
            return nullptr;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::setenv("DISPLAY", session->display_.c_str(), 1);
    // No session bus either: Qt on X asks one about accessibility, and
    // D-Bus, left to start a bus of its own, leaks the attempt. The tests'
    // windows stay off the user's desktop bus as well as their display.
    ::setenv("DBUS_SESSION_BUS_ADDRESS", ("unix:path=" + folder + "/no-bus").c_str(), 1);
    g_session = session.get();
    return session;
}

X11Session::~X11Session() {
    if (g_session == this) g_session = nullptr;
    stop(manager_);
    stop(server_);
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::remove_all(folder_, ec);
}

X11Session* windowManager() {
    return g_session;
}

const std::string& noWindowManagerReason() {
    return g_reason;
}

void runEventsFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitUntilFramed(QWidget& window, int timeoutMs) {
    constexpr int kStillMs = 200;
    QElapsedTimer clock, still;
    clock.start();
    QRect last;
    while (clock.elapsed() < timeoutMs) {
        runEventsFor(10);
        const QWindow* handle = window.windowHandle();
        if (!window.isVisible() || handle == nullptr || handle->frameMargins().isNull()) continue;
        const QRect frame = handle->frameGeometry();
        if (frame != last || !still.isValid()) {
            last = frame;
            still.start();
        } else if (still.elapsed() >= kStillMs) {
            return true;
        }
    }
    return false;
}

}  // namespace kararisu::test
