#include "base/FileUtil.h"

#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zarvex {

std::optional<std::string> readFile(const fs::path& file) {
    try {
        std::ifstream in(file, std::ios::binary);
        if (!in)
            return std::nullopt;
        // Page files run to megabytes: a regular file is read in one go into a
        // buffer of its size; anything else (a pipe, /proc) streams until its end.
        std::error_code ec;
        const auto size = fs::is_regular_file(file, ec) ? fs::file_size(file, ec) : 0;
        std::string bytes;
        if (!ec && size > 0) {
            bytes.resize(size);
            in.read(bytes.data(), static_cast<std::streamsize>(size));
            bytes.resize(static_cast<std::size_t>(in.gcount()));
            if (in.bad())
                return std::nullopt;
            in.clear();
        }
        bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (in.bad())
            return std::nullopt;
        return bytes;
    } catch (const std::exception&) {
        // Reading a folder makes the stream buffer throw.
        return std::nullopt;
    }
}

detail::AtomicWriteCalls& detail::atomicWriteCalls() {
    static AtomicWriteCalls calls{::fsync, ::rename};
    return calls;
}

bool writeFileAtomically(const fs::path& file, std::string_view bytes, Durability durability) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    std::string pattern = (folder / ("." + file.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(pattern.data());
    if (fd < 0)
        return false;
    const fs::path temp = pattern;
    bool ok = true;
    for (std::size_t done = 0; ok && done < bytes.size();) {
        const auto n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    // mkstemp makes the file private; published files are meant to be read by others.
    ok = ok && ::fchmod(fd, 0644) == 0;
    const detail::AtomicWriteCalls& calls = detail::atomicWriteCalls();
    ok = ok && (durability == Durability::Scratch || calls.flush(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    ok = ok && calls.rename(temp.c_str(), file.c_str()) == 0;
    std::error_code ec;
    if (!ok)
        fs::remove(temp, ec);
    return ok;
}

} // namespace zarvex
