#include "ElapsedTime.h"

#include <chrono>
#include <cstdio>

namespace {
std::function<uint32_t()>& Source() {
    static std::function<uint32_t()> source;
    return source;
}
}  // namespace

uint32_t TickCount() {
    if (Source()) return Source()();
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SetTickSource(std::function<uint32_t()> source) { Source() = std::move(source); }

std::string ElapsedTimeText(uint32_t elapsedMs) {
    // A time of day: whole days drop out, as they do when a tick difference is shown
    // in the long time format.
    const uint32_t seconds = (elapsedMs / 1000) % 86400;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02u:%02u:%02u:%u", seconds / 3600, seconds / 60 % 60, seconds % 60,
                  elapsedMs % 1000);
    return buf;
}
