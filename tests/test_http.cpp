// The HTTP client against the test web server: the bytes that go out, the replies and
// every way a request can fail.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include <netinet/in.h>
#include <sys/socket.h>

#include "HttpCli.h"
#include "cp1252.h"
#include "TestServer.h"

namespace {

const std::string kVersionPath = "/protec/relexo/LEXVERS.TXT";
const std::string kHeaders =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
    "User-Agent: Lexorama Update\r\n";

// What one request did: the events seen and how it ended.
struct Outcome {
    std::vector<std::pair<THttpRequest, uint16_t>> done;
    std::optional<int> thrown;  // the exception's status, if one was raised
    std::string reason;         // the exception's message
    int waits = 0;
};

Outcome Send(THttpCli& cli, THttpRequest rq) {
    Outcome out;
    cli.OnRequestDone = [&](THttpRequest r, uint16_t err) { out.done.emplace_back(r, err); };
    cli.OnWait = [&] { ++out.waits; };
    try {
        if (rq == httpHEAD)
            cli.Head();
        else if (rq == httpGET)
            cli.Get();
        else
            cli.Post();
    } catch (const EHttpException& e) {
        out.thrown = e.ErrorCode;
        out.reason = e.what();
    }
    return out;
}

}  // namespace

// HEAD, GET and POST as they reach the server, byte for byte, with a proxy named in the
// environment that must not be used, and the replies as the caller gets them.
TEST(HttpClient, RequestsGoOutExactlyAndRepliesComeBack) {
    TestServer server;
    const std::string version = std::string("LEX00013\0\x80", 10);
    server.Put("LEXVERS.TXT", version);
    server.Put("LEX00013.ZIP", std::string(100000, '\xE9'));
    // A proxy set in the environment is not used.
    const ScopedEnv proxy("http_proxy", "http://127.0.0.1:1"), proxyUpper("HTTP_PROXY", "http://127.0.0.1:1");

    THttpCli cli;
    std::string received = "kept:";
    cli.RcvdStream = &received;
    cli.URL = server.Url(kVersionPath);
    Outcome head = Send(cli, httpHEAD);
    Outcome get = Send(cli, httpGET);
    EXPECT_FALSE(head.thrown);
    EXPECT_FALSE(get.thrown);
    EXPECT_EQ(head.done, (std::vector<std::pair<THttpRequest, uint16_t>>{{httpHEAD, 0}}));
    EXPECT_EQ(get.done, (std::vector<std::pair<THttpRequest, uint16_t>>{{httpGET, 0}}));
    EXPECT_EQ(received, "kept:" + version);  // appended, zero byte and all
    EXPECT_EQ(cli.StatusCode(), 200);
    EXPECT_EQ(cli.ReasonPhrase(), "OK");

    std::string zip;
    cli.RcvdStream = &zip;
    cli.URL = server.Url("/protec/relexo/load_zip.php3?FICHIER=LEX00013.ZIP");
    Send(cli, httpGET);
    EXPECT_EQ(zip, std::string(100000, '\xE9'));

    const std::string words = std::string("AJOUTER=") + "abc\t0\tABC\t*N11\r\n\xE9t\xE9\t0\tEETT\t*N11\r\n";
    std::string answer;
    cli.SendStream = &words;
    cli.RcvdStream = &answer;
    cli.URL = server.Url("/protec/relexo/traitement.php3");
    Outcome post = Send(cli, httpPOST);
    EXPECT_EQ(post.done, (std::vector<std::pair<THttpRequest, uint16_t>>{{httpPOST, 0}}));
    EXPECT_EQ(server.Read("posted.bin"), words);
    EXPECT_EQ(answer.size(), words.size() - 8);
    proxy.Set(std::nullopt);
    proxyUpper.Set(std::nullopt);

    const std::string host = "Host: " + server.Host() + "\r\n";
    EXPECT_EQ(server.Log(), "HEAD " + kVersionPath + " HTTP/1.0\r\n" + kHeaders + host + "\r\n" + "GET " +
                                kVersionPath + " HTTP/1.0\r\n" + kHeaders + host + "\r\n" +
                                "GET /protec/relexo/load_zip.php3?FICHIER=LEX00013.ZIP HTTP/1.0\r\n" + kHeaders + host +
                                "\r\n" + "POST /protec/relexo/traitement.php3 HTTP/1.0\r\n" + kHeaders + host +
                                "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
                                std::to_string(words.size()) + "\r\n\r\n");
}

// Redirections: a chain of 5 is followed (each hop with its own Host header, absolute and
// relative locations alike) and only the final body kept; a sixth hop fails the request
// rather than hand the redirection page over as the reply.
TEST(HttpClient, FollowsFiveRedirectionsAndNoMore) {
    for (const int hops : {5, 6}) {
        SCOPED_TRACE(hops);
        TestServer server({"--redirects", std::to_string(hops)});
        server.Put("LEXVERS.TXT", "LEX00013");
        THttpCli cli;
        std::string body;
        cli.RcvdStream = &body;
        cli.URL = server.Url(kVersionPath);
        Outcome out = Send(cli, httpGET);
        EXPECT_EQ(out.done, (std::vector<std::pair<THttpRequest, uint16_t>>{{httpGET, 0}}));
        const std::string log = server.Log();
        EXPECT_NE(
            log.find("GET /hop/5" + kVersionPath + " HTTP/1.0\r\n" + kHeaders + "Host: " + server.Host() + "\r\n\r\n"),
            std::string::npos)
            << log;
        EXPECT_EQ(log.find("/hop/6/"), std::string::npos);  // a sixth hop is never asked for
        if (hops == 5) {
            EXPECT_FALSE(out.thrown);
            EXPECT_EQ(body, "LEX00013");
        } else {
            ASSERT_TRUE(out.thrown);
            EXPECT_EQ(*out.thrown, 302);
            EXPECT_EQ(out.reason, "Too many redirections");
            EXPECT_EQ(body, "");
        }
    }
}

// Every failure: what the request-done event gets, the exception, and what the caller
// reads afterwards.
TEST(HttpClient, FailuresEndTheRequestWithTheirCode) {
    struct Case {
        const char* what;
        std::vector<std::string> switches;
        THttpRequest rq;
        uint16_t err;  // request-done error
        int status;    // status afterwards (and of the exception, if any)
        bool thrown;
        std::string reason;
        std::string url;  // a path of the server (empty: the version file), or a whole URL
    };
    const std::string longLabel(70, 'a');  // over 63 characters: refused before any lookup
    const std::vector<Case> cases = {
        {"401 is no failure", {"--status", "401"}, httpGET, 0, 401, false, "", ""},
        {"missing file", {}, httpGET, 0, 404, true, "Not Found", "/protec/relexo/load_zip.php3?FICHIER=NONE.ZIP"},
        {"host not found", {}, httpHEAD, 11001, 404, true, "Host not found", "http://" + longLabel + ".invalid/x"},
        {"refused",
         {},
         httpHEAD,
         10061,
         404,
         true,
         "Connection refused",
         "http://127.0.0.1:" + std::to_string(RefusingPort()) + kVersionPath},
        {"closed before the reply", {"--close-early"}, httpGET, 10054, 404, true, "Connection reset by peer", ""},
        {"reply shorter than announced", {"--short-body"}, httpGET, 10054, 404, true, "Connection reset by peer", ""},
        {"slow reply", {"--delay", "3"}, httpGET, 10060, 404, true, "Connection timed out", ""},
        // Bytes or interim replies that come often enough to keep the line from falling
        // silent, but far too slowly for a transfer.
        {"drip-fed body", {"--drip", "0.3"}, httpGET, 10060, 404, true, "Connection timed out", ""},
        {"endless interim replies", {"--interim", "0.3"}, httpGET, 10060, 404, true, "Connection timed out", ""},
        {"lengths that disagree", {"--lengths", "0,5"}, httpGET, 10054, 404, true, "Connection reset by peer", ""},
        {"lengths that disagree, the longer first",
         {"--lengths", "5,0"},
         httpGET,
         10054,
         404,
         true,
         "Connection reset by peer",
         ""},
        {"length beyond the body", {"--lengths", "7"}, httpGET, 10054, 404, true, "Connection reset by peer", ""},
        {"body beyond the length", {"--lengths", "-3"}, httpGET, 10054, 404, true, "Connection reset by peer", ""},
        {"length that overflows",
         {"--length-value", "99999999999999999999999"},
         httpGET,
         10054,
         404,
         true,
         "Connection reset by peer",
         ""},
        {"length that is no number",
         {"--length-value", "16x"},
         httpGET,
         10054,
         404,
         true,
         "Connection reset by peer",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TestServer server(c.switches);
        server.Put("LEXVERS.TXT", "LEX00013LEX00013");
        THttpCli cli;
        cli.TimeoutMs = 1000;
        cli.SlowSeconds = 2;
        std::string body;
        cli.RcvdStream = &body;
        cli.URL = c.url.empty() ? server.Url(kVersionPath) : c.url[0] == '/' ? server.Url(c.url) : c.url;
        Outcome out = Send(cli, c.rq);
        EXPECT_EQ(out.done, (std::vector<std::pair<THttpRequest, uint16_t>>{{c.rq, c.err}}));
        EXPECT_EQ(out.thrown.has_value(), c.thrown);
        if (c.thrown) {
            EXPECT_EQ(*out.thrown, c.status);
            EXPECT_EQ(out.reason, c.reason);
        }
        EXPECT_EQ(cli.StatusCode(), c.status);
        // The "Erreur" box's text: a socket failure by its text, a status by its phrase.
        const int code = c.err != 0 ? c.err : c.status;
        EXPECT_EQ(RequestErrorText(code, cli.ReasonPhrase()),
                  (c.err != 0 ? c.reason : cli.ReasonPhrase()) + "  -  " + std::to_string(code));
    }
}

// A reply that never ends: the cap ends it as a completed exchange with the first bytes,
// and without the cap the overall time-out does; a closing program ends it too.
TEST(HttpClient, EndlessReplyIsCappedOrTimedOut) {
    TestServer server({"--endless", "--post-endless"});
    server.Put("LEXVERS.TXT", "LEX00013");
    THttpCli cli;
    std::string body;
    cli.RcvdStream = &body;
    cli.URL = server.Url(kVersionPath);
    cli.MaxReceive = 4096;
    Outcome capped = Send(cli, httpGET);
    EXPECT_FALSE(capped.thrown);
    EXPECT_EQ(body.size(), 4096u);
    EXPECT_EQ(body.substr(0, 9), "LEX00013x");
    EXPECT_GT(capped.waits, 0);

    body.clear();
    cli.MaxReceive = 0;
    cli.TotalTimeoutMs = 500;
    Outcome timedOut = Send(cli, httpGET);
    EXPECT_EQ(timedOut.done, (std::vector<std::pair<THttpRequest, uint16_t>>{{httpGET, 10060}}));
    EXPECT_TRUE(timedOut.thrown);

    // A reply that may be no longer than a known length fails once it is longer.
    cli.TotalTimeoutMs = 0;
    cli.MaxReply = 10000;
    const std::string words = "AJOUTER=abc\r\n";
    cli.SendStream = &words;
    cli.URL = server.Url("/protec/relexo/traitement.php3");
    body.clear();
    Outcome tooLong = Send(cli, httpPOST);
    EXPECT_EQ(tooLong.done, (std::vector<std::pair<THttpRequest, uint16_t>>{{httpPOST, 10040}}));
    EXPECT_EQ(tooLong.reason, "Message too long");
    EXPECT_LE(body.size(), 10000u);
    cli.MaxReply = 0;
    cli.URL = server.Url(kVersionPath);

    int polls = 0;
    cli.Terminating = [&] { return ++polls > 5; };
    Outcome ended = Send(cli, httpGET);
    EXPECT_EQ(ended.done, (std::vector<std::pair<THttpRequest, uint16_t>>{{httpGET, 10004}}));
    EXPECT_TRUE(ended.thrown);
}

// A user name and password in a URL, the first one or a redirection's, are dropped: no
// request ever carries credentials.
TEST(HttpClient, NeverSendsCredentials) {
    TestServer server({"--credentials-redirect"});
    server.Put("LEXVERS.TXT", "LEX00013");
    THttpCli cli;
    std::string body;
    cli.RcvdStream = &body;
    for (const std::string& url : {server.Url(kVersionPath), "http://me:pw@" + server.Host() + kVersionPath}) {
        body.clear();
        cli.URL = url;
        Outcome out = Send(cli, httpGET);
        EXPECT_FALSE(out.thrown);
        EXPECT_EQ(body, "LEX00013");
    }
    const std::string log = server.Log();
    const std::string direct =
        "GET " + kVersionPath + " HTTP/1.0\r\n" + kHeaders + "Host: " + server.Host() + "\r\n\r\n";
    const std::string moved =
        "GET /cred" + kVersionPath + " HTTP/1.0\r\n" + kHeaders + "Host: " + server.Host() + "\r\n\r\n";
    EXPECT_EQ(log, direct + moved + direct + moved);
}

// A server setting names its host, and its port after a ":"; a ":" without a usable port
// number is refused with the setting in the message, a host alone keeps port 80.
TEST(HttpClient, ServerSettingWithoutAPortIsRefused) {
    for (const char* good : {"127.0.0.1:8080", "www.lexorama.fr", "localhost:1", "h:65535", "[::1]", "[::1]:81"})
        EXPECT_EQ(ServerSettingProblem(good), "") << good;
    for (const char* bad : {"127.0.0.1:", "127.0.0.1:abc", "h:0", "h:65536", "h:-1", "h: 80", ":8080", "[::1]:"}) {
        const std::string problem = ServerSettingProblem(bad);
        EXPECT_NE(problem.find(std::string("(\"") + bad + "\")"), std::string::npos) << problem;
        EXPECT_NE(problem.find(A("numéro de port")), std::string::npos) << problem;
    }
}

TEST(HttpClient, HostHeaderNamesThePortOnlyWhenNotTheDefault) {
    EXPECT_EQ(HostHeaderOf("http://www.lexorama.fr/protec/relexo/LEXVERS.TXT"), "www.lexorama.fr");
    EXPECT_EQ(HostHeaderOf("http://www.lexorama.fr:80/x"), "www.lexorama.fr");
    EXPECT_EQ(HostHeaderOf("http://127.0.0.1:8080/x?FICHIER=a"), "127.0.0.1:8080");
    EXPECT_EQ(HostHeaderOf("https://h:443/"), "h");
    EXPECT_EQ(HostHeaderOf("http://[::1]:81/"), "[::1]:81");
}
