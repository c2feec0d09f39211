#include "base/Process.h"

#include "base/Error.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>

extern char** environ;

namespace zarvex {

namespace {

std::string systemMessage(const std::string& what, int error) {
    return what + ": " + std::strerror(error);
}

// A file descriptor closed on destruction.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(Fd&& o) noexcept : fd_(std::exchange(o.fd_, -1)) {}
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            reset();
            fd_ = std::exchange(o.fd_, -1);
        }
        return *this;
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

struct Pipe {
    Fd read;
    Fd write;
    static Pipe make() {
        int fds[2];
        // Close-on-exec, so children spawned meanwhile by other threads do not
        // inherit (and hold open) our ends.
        if (::pipe2(fds, O_CLOEXEC) != 0)
            throw Error(systemMessage("cannot create a pipe", errno));
        return Pipe{Fd(fds[0]), Fd(fds[1])};
    }
};

class FileActions {
public:
    FileActions() {
        if (int e = posix_spawn_file_actions_init(&actions_))
            throw Error(systemMessage("cannot prepare the process", e));
    }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;

    void check(int e) {
        if (e)
            throw Error(systemMessage("cannot prepare the process", e));
    }
    void openNull(int target, int flags) {
        check(posix_spawn_file_actions_addopen(&actions_, target, "/dev/null", flags, 0));
    }
    void dup(int fd, int target) { check(posix_spawn_file_actions_adddup2(&actions_, fd, target)); }
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

// Spawn attributes: the child starts with default signal dispositions and an
// empty signal mask, whatever the calling thread has ignored or blocked.
class SpawnAttributes {
public:
    SpawnAttributes() {
        if (int e = posix_spawnattr_init(&attr_))
            throw Error(systemMessage("cannot prepare the process", e));
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attr_, &none);
        posix_spawnattr_setsigdefault(&attr_, &all);
        posix_spawnattr_setflags(&attr_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attr_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    const posix_spawnattr_t* get() const { return &attr_; }

private:
    posix_spawnattr_t attr_;
};

// Reads both pipes until each reports end of file.
void drain(Fd& out, std::string& output, Fd& err, std::string& errors) {
    char buffer[65536];
    while (out.get() >= 0 || err.get() >= 0) {
        pollfd fds[2] = {{out.get(), POLLIN, 0}, {err.get(), POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            throw Error(systemMessage("cannot read the process output", errno));
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            Fd& fd = i == 0 ? out : err;
            std::string& text = i == 0 ? output : errors;
            ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
            if (n > 0)
                text.append(buffer, static_cast<std::size_t>(n));
            else if (n == 0 || errno != EINTR)
                fd.reset();
        }
    }
}

} // namespace

ProcessResult runProcess(const std::filesystem::path& program,
                         const std::vector<std::string>& arguments, const ProcessOptions& options) {
    const std::string path = program.string();
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    Pipe out, err;
    FileActions actions;
    actions.openNull(STDIN_FILENO, O_RDONLY);
    if (options.captureOutput) {
        out = Pipe::make();
        actions.dup(out.write.get(), STDOUT_FILENO);
    } else {
        actions.openNull(STDOUT_FILENO, O_WRONLY);
    }
    if (options.captureErrors) {
        err = Pipe::make();
        actions.dup(err.write.get(), STDERR_FILENO);
    } else {
        actions.openNull(STDERR_FILENO, O_WRONLY);
    }

    SpawnAttributes attributes;
    pid_t pid = 0;
    if (int e = ::posix_spawn(&pid, path.c_str(), actions.get(), attributes.get(), argv.data(),
                              environ))
        throw Error(systemMessage("cannot run " + path, e));
    out.write.reset();
    err.write.reset();

    ProcessResult result;
    try {
        drain(out.read, result.output, err.read, result.errors);
    } catch (...) {
        out.read.reset(); // a child still writing gets SIGPIPE rather than blocking the wait
        err.read.reset();
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        throw;
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            throw Error(systemMessage("cannot wait for " + path, errno));
    }
    if (WIFSIGNALED(status)) {
        result.signaled = true;
        result.exitCode = 128 + WTERMSIG(status);
    } else {
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

} // namespace zarvex
