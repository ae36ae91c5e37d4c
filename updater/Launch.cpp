#include "Launch.h"

#include <string_view>

LaunchRequest ReadLaunchRequest(int argc, const char* const* argv) {
    LaunchRequest request;
    if (argc < 2 || argv[1] == nullptr) return request;
    // Byte for byte, same length, same letter case.
    request.accepted = std::string_view(argv[1]) == kLaunchToken;
    if (argc >= 3 && argv[2] != nullptr) request.version = argv[2];
    return request;
}
