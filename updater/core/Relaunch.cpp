// The start of the dictionary program at the end of an update. The dictionary program
// refuses to start while the updater runs, so the updater cannot start it directly:
// a helper process, detached from the updater, waits until the updater has ended, then
// becomes the dictionary program in the dictionary's folder.
#include <cerrno>
#include <ctime>

#include <unistd.h>

#include "Update.h"
#include "cp1252.h"
#include "platform/ProgramStart.h"

bool RelaunchLexorama(const std::string& programFolder, std::string& failureText) {
    platform::ProgramStartOptions options;
    options.besideFolder = programFolder;
    options.afterExitOf = ::getpid();
    // Nothing of the updater's: a caller reading its terminal or pipes to the end would
    // otherwise wait for the dictionary program to end.
    options.quiet = true;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) {
            timespec pause{0, 500 * 1000000L};
            while (::nanosleep(&pause, &pause) != 0 && errno == EINTR) {
            }
        }
        const int error = platform::StartProgram("Lexorama", {}, options);
        if (error == 0) return true;
        if (error == ENOENT) break;  // no such program: trying again changes nothing
    }
    failureText = A("Impossible de relancer Lexorama.\r\nLancez-le vous-même pour retrouver votre dictionnaire.");
    return false;
}
