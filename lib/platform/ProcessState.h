// The state of a process as /proc tells it. Safe between fork and exec: no allocation,
// plain system calls only.
#pragma once

namespace platform {

// The state letter of a /proc/PID/stat file ('R', 'S', 'Z'...), 0 when the file cannot
// be read (the process is gone), '?' when its content has no state. The letter follows
// the last ")": the command name before it may hold blanks and parentheses.
char ProcessState(const char* statPath);

// The real user id on the "Uid:" line of a /proc/PID/status file, -1 when the file
// cannot be read or has no such line.
long ProcessRealUser(const char* statusPath);

}  // namespace platform
