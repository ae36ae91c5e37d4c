// The dictionary version check of the information window, apart from the window: asks
// the maker's server for its version file, then tells the user what it found and asks
// whether to update.
#pragma once

#include <cstdint>
#include <string>

#include "HttpCli.h"

// The server's version in a reply body: its first bytes, at most 8, stopping before a
// zero byte.
std::string VersionFromReply(const std::string& body);

// True when the text is a dictionary version: "LEX" and then letters or digits only.
bool IsDictionaryVersion(const std::string& version);

// True when the local version is smaller than the server's, byte by byte as unsigned
// values, a prefix being smaller than the longer text.
bool IsNewerVersion(const std::string& localVersion, const std::string& serverVersion);

class TVersionCheck {
public:
    // Binds the client's request-done event to HttpCli1RequestDone.
    explicit TVersionCheck(THttpCli& http);

    // The error of the running check: 0, a socket error number or an HTTP status.
    int InfoRequestError = 0;
    void HttpCli1RequestDone(THttpRequest rqType, uint16_t errCode) {
        (void)rqType;
        InfoRequestError = errCode;  // the last request to end wins
    }

    // Asks `server` (host[:port]) for its version file: a HEAD, then a GET when the HEAD
    // did not fail. Returns the version read from whatever body arrived, and leaves
    // InfoRequestError set. Only the client's HTTP exception is caught.
    std::string Fetch(const std::string& server);

    // Tells the user the outcome of Fetch: the error box (also for a reply that is no
    // dictionary version), the offer of the newer version, or that the dictionary is up
    // to date. Returns the version to update to when the user
    // said Oui, else the empty text.
    std::string Answer(const std::string& localVersion, const std::string& serverVersion) const;

    // A version file holds 8 bytes: whatever comes past this is not waited for.
    static constexpr std::size_t ReplyCap = 4096;
    // However the reply trickles in, a check ends within this time.
    static constexpr int CheckTimeoutMs = 60000;

private:
    THttpCli& http_;
};
