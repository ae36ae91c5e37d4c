// The HTTP client of both programs: blocking HEAD, GET and POST requests over libcurl,
// sent as HTTP/1.0 with a fixed set of headers, following at most 5 redirections and
// never through a proxy. A request keeps calling OnWait while it waits, so that a window
// can process its events meanwhile. No Qt here.
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

    std::string URL;                            // "http://host[:port]/path[?query]"
    std::string ContentTypePost = "application/x-www-form-urlencoded";  // for Post()
    std::string* RcvdStream = nullptr;          // the reply body is appended here
    const std::string* SendStream = nullptr;    // POST body
    // Called at the end of every request, before the call returns or throws, with 0 after
    // a completed exchange or the Windows Sockets number of the failure (11001 name not
    // resolved, 10061 refused, 10060 timed out, 10054 connection reset...).
    std::function<void(THttpRequest, uint16_t errCode)> OnRequestDone;
    std::function<void()> OnWait;               // called every few ms while waiting
    std::function<bool()> Terminating;          // true: give up (the program is closing)
    // At most this many body bytes are read (0: no cap); once they are there the request
    // ends as a completed exchange, the rest of the reply unread.
    std::size_t MaxReceive = 0;
    // A request gives up (10060) after this long without a byte moving either way.
    int TimeoutMs = 30000;
    // And after this long in all (0: no limit), whatever moves.
    int TotalTimeoutMs = 0;

    void Head();
    void Get();
    void Post();
    int StatusCode() const { return statusCode_; }
    const std::string& ReasonPhrase() const { return reasonPhrase_; }
    void Close();

private:
    void Request(THttpRequest rq);
    bool busy_ = false;
    int statusCode_ = 0;
    std::string reasonPhrase_;
};

// The maker's web server as host[:port]: "www.lexorama.fr" unless the environment
// variable LEXORAMA_SERVER names another.
std::string MakerServer();

// The Host header's value for a URL: the host, with ":port" only when the URL names a
// port other than the scheme's own (80 for http). Empty when the URL cannot be parsed.
std::string HostHeaderOf(const std::string& url);

// The text of a failed request's error box: the socket error text for a code of 10004 or
// more, else the reply's reason phrase; then "  -  " and the code.
std::string RequestErrorText(int code, const std::string& reasonPhrase);
