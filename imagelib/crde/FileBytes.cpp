#include "imagelib/crde/FileBytes.h"

#include "imagelib/block/Block.h"
#include "imagelib/crde/ErrorCodes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

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

std::int16_t readWholeFile(const char* path, std::vector<std::uint8_t>& bytes)
{
    if (!path || !*path)
        return kBadArgument;
    // Non-blocking, so that opening a FIFO returns at once; fstat then refuses it.
    const Fd file{::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0)
        return kCannotOpen;
    struct stat st {};
    if (::fstat(file.fd, &st) != 0 || !S_ISREG(st.st_mode))
        return kCannotOpen;
    if (st.st_size <= 0)
        return kTruncated;
    if (st.st_size > ilblock::kMaxBytes)
        return kTooLarge;
    bytes.resize(std::size_t(st.st_size));
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::read(file.fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return kCannotRead;
        if (n == 0)
            break;  // the file shrank meanwhile: decode what is there
        done += std::size_t(n);
    }
    bytes.resize(done);
    return bytes.empty() ? kTruncated : 1;
}

}  // namespace crde
