// The HTTP client of both programs: blocking HEAD, GET and POST requests over libcurl,
// sent as HTTP/1.0 with a fixed set of headers, following at most 5 redirections and
// never through a proxy. A request keeps calling OnWait while it waits, so that a window
// can process its events meanwhile; and a program whose windows may run event loops of
// their own (a modal help window opened from OnWait) installs a request driver, so that
// the transfer goes on in whatever loop runs. No Qt here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

// A request that ended with a status above 399 (other than 401 and 407), or that failed
// on the socket (then the status is 404 and OnRequestDone has had the socket error).
struct EHttpException : std::runtime_error {
    EHttpException(const std::string& reason, int code);
    int ErrorCode;  // the HTTP status
};

enum THttpRequest { httpHEAD, httpGET, httpPOST };

class THttpCli {
public:
    THttpCli();
    ~THttpCli();
    THttpCli(const THttpCli&) = delete;
    THttpCli& operator=(const THttpCli&) = delete;

    std::string URL;                                                    // "http://host[:port]/path[?query]"
    std::string ContentTypePost = "application/x-www-form-urlencoded";  // for Post()
    std::string* RcvdStream = nullptr;                                  // the reply body is appended here
    const std::string* SendStream = nullptr;                            // POST body
    // Called at the end of every request, before the call returns or throws, with 0 after
    // a completed exchange or the Windows Sockets number of the failure (11001 name not
    // resolved, 10061 refused, 10060 timed out, 10054 connection reset...).
    std::function<void(THttpRequest, uint16_t errCode)> OnRequestDone;
    std::function<void()> OnWait;       // called every few ms while waiting
    std::function<bool()> Terminating;  // true: give up (the program is closing)
    // At most this many body bytes are read (0: no cap); once they are there the request
    // ends as a completed exchange, the rest of the reply unread.
    std::size_t MaxReceive = 0;
    // A reply body longer than this ends the request as a failure, 10040 "Message too
    // long" (0: no limit): for a reply whose length is known in advance.
    std::size_t MaxReply = 0;
    // A request gives up (10060) after this long without a byte moving either way.
    int TimeoutMs = 30000;
    // And after this long in all (0: no limit), whatever moves.
    int TotalTimeoutMs = 0;
    // And when fewer than MinBytesPerSecond of body come or go per second for
    // SlowSeconds on end: a server that drips a byte now and then, or sends one interim
    // reply after another, never resets this.
    long MinBytesPerSecond = 1024;
    long SlowSeconds = 30;

    void Head();
    void Get();
    void Post();
    // Head(), then Get() when the HEAD has not failed, as one request: a window that opens
    // meanwhile holds up neither. OnRequestDone comes for each; a failed HEAD ends it as
    // Head() does, and no GET is sent.
    void HeadThenGet();
    int StatusCode() const { return statusCode_; }
    const std::string& ReasonPhrase() const { return reasonPhrase_; }
    void Close();

private:
    void Request(THttpRequest rq, bool thenGet = false);
    bool busy_ = false;
    int statusCode_ = 0;
    std::string reasonPhrase_;
};

// The request driver: a program with an event loop installs `running`, told true when a
// request starts and false once none runs any more; while true it calls PumpRequests()
// every few milliseconds from its event loop, whichever loop that is. Without a driver a
// request moves only while its own call waits. One thread only.
void SetRequestDriver(std::function<void(bool running)> running);
// Moves every running request along as far as it can without waiting.
void PumpRequests();

// The maker's web server as host[:port]: "www.lexorama.fr" unless the environment
// variable LEXORAMA_SERVER names another.
std::string MakerServer();
// What is wrong with a server setting host[:port], as the French text of a warning box
// (Windows-1252); empty when it can be used. A host alone ("example.org", "[::1]") is
// asked on port 80; a ":" must be followed by a port number from 1 to 65535.
std::string ServerSettingProblem(const std::string& setting);
// The problem of LEXORAMA_SERVER: the programs show it (caption "Erreur", flags 48)
// instead of starting a request to that server. Empty when the variable is unset.
std::string MakerServerProblem();

// The Host header's value for a URL: the host, with ":port" only when the URL names a
// port other than the scheme's own (80 for http). Empty when the URL cannot be parsed.
std::string HostHeaderOf(const std::string& url);

// The text of a failed request's error box: the socket error text for a code of 10004 or
// more, else the reply's reason phrase; then "  -  " and the code.
std::string RequestErrorText(int code, const std::string& reasonPhrase);
