// How each program of the pair starts the other: the dictionary program starts the
// updater, the updater starts the dictionary program again when it is done. Both look
// for the other the same way and start it detached, so that it outlives its starter.
#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

namespace platform {

// The folder of the running program (that of /proc/self/exe), empty when unknown.
std::string RunningProgramFolder();

// The program file `name` (a bare name) as the other program of the pair is looked
// for: in the current folder, then in besideFolder (the running program's folder when
// empty), then along PATH, whose empty elements are skipped. Only a regular file that
// may be executed counts. Empty when there is none.
std::string FindProgram(const std::string& name, const std::string& besideFolder = {});

struct ProgramStartOptions {
    std::string besideFolder;  // see FindProgram
    std::string workFolder;    // the started program's current folder; empty: this one
    // Start it only once this process has ended (collected by its parent or not),
    // giving up the wait after maxWaitMs; 0: at once. The failure of the start itself
    // then comes after the call and is not reported.
    pid_t afterExitOf = 0;
    int maxWaitMs = 60000;
    // Standard input, output and error on /dev/null rather than this process's own.
    bool quiet = false;
};

// Finds `name` (FindProgram) and starts it with `args` after its own name, detached:
// in a session of its own, the child of no process here, with no descriptor of this
// process beyond the three standard ones, signals as a fresh program has them.
// 0 when it started, else the errno of what failed: ENOENT when there is no such
// program, that of fork or of the program's start (ENOEXEC, EACCES...) otherwise.
int StartProgram(const std::string& name, const std::vector<std::string>& args,
                 const ProgramStartOptions& options = {});

}  // namespace platform
