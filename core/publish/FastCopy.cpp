#include "publish/FastCopy.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <mutex>
#include <set>
#include <utility>

namespace fs = std::filesystem;

namespace zarvex {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        std::swap(fd_, other.fd_);
        return *this;
    }
    ~FileDescriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

// Pairs of file systems (source, target) known not to share extents, so later
// copies between them skip the attempt.
class ReflinkRefusals {
public:
    bool refused(dev_t from, dev_t to) {
        std::scoped_lock lock(mutex_);
        return pairs_.contains({from, to});
    }
    void add(dev_t from, dev_t to) {
        std::scoped_lock lock(mutex_);
        pairs_.insert({from, to});
    }

private:
    std::mutex mutex_;
    std::set<std::pair<dev_t, dev_t>> pairs_;
};

ReflinkRefusals& reflinkRefusals() {
    static ReflinkRefusals refusals;
    return refusals;
}

// True when `to` now shares `from`'s extents. On any failure nothing is left at `to`.
bool tryReflink(const fs::path& from, const fs::path& to) {
    FileDescriptor source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!source)
        return false;
    struct stat info {};
    struct stat folder {};
    const fs::path parent = to.has_parent_path() ? to.parent_path() : fs::path(".");
    if (::fstat(source.get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        ::stat(parent.c_str(), &folder) != 0)
        return false;
    if (reflinkRefusals().refused(info.st_dev, folder.st_dev))
        return false;
    FileDescriptor target(
        ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, info.st_mode & 0777));
    if (!target)
        return false;
    if (::ioctl(target.get(), FICLONE, source.get()) == 0)
        return true;
    const int reason = errno;
    if (reason == EOPNOTSUPP || reason == EXDEV || reason == EINVAL || reason == ENOTTY ||
        reason == ENOSYS)
        reflinkRefusals().add(info.st_dev, folder.st_dev);
    ::unlink(to.c_str());
    return false;
}

} // namespace

bool fastCopyFile(const fs::path& from, const fs::path& to, std::error_code& error) {
    error.clear();
    if (!fs::is_regular_file(from, error)) {
        if (!error)
            error = std::make_error_code(std::errc::no_such_file_or_directory);
        return false;
    }
    if (fs::exists(fs::symlink_status(to))) {
        error = std::make_error_code(std::errc::file_exists);
        return false;
    }
    if (tryReflink(from, to))
        return true;
    if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    if (!fs::copy_file(from, to, fs::copy_options::none, error)) {
        std::error_code ignored;
        fs::remove(to, ignored);
        return false;
    }
    return true;
}

bool copyItem(const fs::path& from, const fs::path& to, std::error_code& error) {
    error.clear();
    const auto status = fs::status(from, error);
    if (error)
        return false;
    if (fs::exists(fs::symlink_status(to))) {
        error = std::make_error_code(std::errc::file_exists);
        return false;
    }
    if (fs::is_directory(status)) {
        fs::copy(from, to, fs::copy_options::recursive, error);
        return !error;
    }
    if (!fs::copy_file(from, to, fs::copy_options::none, error)) {
        std::error_code ignored;
        fs::remove(to, ignored);
        return false;
    }
    return true;
}

} // namespace zarvex
