#include "imagelib/crde/FileBytes.h"

#include "imagelib/block/Block.h"
#include "imagelib/crde/ErrorCodes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

namespace crde {
namespace {

struct Fd {
    int fd;
    ~Fd()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

}  // namespace

std::int16_t readFileBytes(const char* path, std::size_t limit, FileBytes& file)
{
    file = {};
    if (!path || !*path)
        return kBadArgument;
    // Non-blocking, so that opening a FIFO returns at once; fstat then refuses it.
    const Fd in{::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (in.fd < 0)
        return kCannotOpen;
    struct stat st {};
    if (::fstat(in.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return kCannotOpen;
    if (st.st_size <= 0)
        return kTruncated;
    file.fileSize = std::uint64_t(st.st_size);
    const std::uint64_t wanted = std::min<std::uint64_t>(file.fileSize, limit);
    if (wanted > std::uint64_t(ilblock::kMaxBytes))
        return kTooLarge;
    file.data.reset(new (std::nothrow) std::uint8_t[wanted]);
    if (!file.data)
        return kOutOfMemory;
    std::size_t done = 0;
    while (done < wanted) {
        const ssize_t n = ::read(in.fd, file.data.get() + done, std::size_t(wanted) - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return kCannotRead;
        if (n == 0)
            break;  // the file shrank meanwhile: decode what is there
        done += std::size_t(n);
    }
    file.size = done;
    if (done < wanted)
        file.fileSize = done;
    return done == 0 ? kTruncated : 1;
}

std::int16_t readWholeFile(const char* path, FileBytes& file)
{
    return readFileBytes(path, std::size_t(ilblock::kMaxBytes) + 1, file);
}

}  // namespace crde
