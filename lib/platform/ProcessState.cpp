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

long ProcessRealUser(const char* statusPath) {
    const int fd = ::open(statusPath, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return -1;
    // The line comes early (after Name, Umask, State, Tgid, Ngid, Pid, PPid, TracerPid).
    char buf[2048];
    const ssize_t n = ::read(fd, buf, sizeof buf - 1);
    ::close(fd);
    if (n <= 0) return -1;
    buf[n] = '\0';
    for (const char* line = buf; *line != '\0';) {
        if (line[0] == 'U' && line[1] == 'i' && line[2] == 'd' && line[3] == ':') {
            const char* p = line + 4;
            while (*p == ' ' || *p == '\t') ++p;
            if (*p < '0' || *p > '9') return -1;
            long uid = 0;
            for (; *p >= '0' && *p <= '9'; ++p) uid = uid * 10 + (*p - '0');
            return uid;
        }
        while (*line != '\0' && *line != '\n') ++line;
        if (*line == '\n') ++line;
    }
    return -1;
}

}  // namespace platform
