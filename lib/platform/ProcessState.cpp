#include "platform/ProcessState.h"

#include <fcntl.h>
#include <unistd.h>

namespace platform {

char ProcessState(const char* statPath) {
    const int fd = ::open(statPath, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return 0;
    char buf[512];
    const ssize_t n = ::read(fd, buf, sizeof buf);
    ::close(fd);
    if (n <= 0) return 0;
    for (ssize_t i = n - 1; i >= 0; --i)
        if (buf[i] == ')') return i + 2 < n ? buf[i + 2] : '?';
    return '?';
}

}  // namespace platform
