// Millisecond tick counts and the elapsed-time text of the search footer and of the
// letter draw's time label.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The system's millisecond tick count (wraps like a 32-bit counter).
uint32_t TickCount();

// Tests replace the clock so that nothing ever sleeps; an empty function restores it.
void SetTickSource(std::function<uint32_t()> source);

// E milliseconds as a time of day "hh:mm:ss", then ":" and E mod 1000 without leading
// zeros: 1234 gives "00:00:01:234", 61005 gives "00:01:01:5".
std::string ElapsedTimeText(uint32_t elapsedMs);
