// How the updater knows that the dictionary program started it: the first argument is
// the launch token, the second the dictionary version to install.
#pragma once

#include <string>

#include "Global.h"  // kLaunchToken

struct LaunchRequest {
    bool accepted = false;  // the first argument is exactly the token
    std::string version;    // the second argument, empty when missing
};

// Reads the command line as main() receives it; arguments after the second are ignored.
LaunchRequest ReadLaunchRequest(int argc, const char* const* argv);
