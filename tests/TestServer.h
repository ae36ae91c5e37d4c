// A test's own web server: tests/http_server.py started on a free loopback port, in a
// fresh folder of served files, stopped (and its folder removed) when the object goes.
//
//     TestServer server({"--head-status", "404"});
//     server.Put("LEXVERS.TXT", "LEX00013");
//     ... MakerServer() / URLs with server.Host() ...
//     EXPECT_EQ(server.Log(), "HEAD /protec/relexo/LEXVERS.TXT HTTP/1.0\r\n...");
//
// While it lives, LEXORAMA_SERVER names it, so that code asking MakerServer() reaches it.
#pragma once

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "TestSupport.h"

extern char** environ;

#ifndef LEXO_HTTP_SERVER
#error "LEXO_HTTP_SERVER must name tests/http_server.py (tests/CMakeLists.txt defines it)"
#endif

class TestServer {
public:
    explicit TestServer(const std::vector<std::string>& switches = {}) {
        namespace fs = std::filesystem;
        root_ = dir_ / "root";
        fs::create_directory(root_);
        const fs::path portFile = dir_ / "port";
        logPath_ = dir_ / "requests.log";

        // Debian's interpreter, run isolated: no user site, no environment settings, and no
        // version-manager shim in between that costs half a second per start.
        const std::string python = ::access("/usr/bin/python3", X_OK) == 0 ? "/usr/bin/python3" : "python3";
        std::vector<std::string> argv = {python,
                                         "-I",
                                         LEXO_HTTP_SERVER,
                                         "--root",
                                         root_.string(),
                                         "--port-file",
                                         portFile.string(),
                                         "--log",
                                         logPath_.string(),
                                         "--idle-exit",
                                         "120"};
        argv.insert(argv.end(), switches.begin(), switches.end());
        std::vector<char*> cargv;
        for (auto& a : argv) cargv.push_back(a.data());
        cargv.push_back(nullptr);
        if (::posix_spawnp(&pid_, python.c_str(), nullptr, nullptr, cargv.data(), environ) != 0) {
            pid_ = 0;
            throw std::runtime_error("cannot start python3 " LEXO_HTTP_SERVER);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (port_ == 0) {
            std::ifstream in(portFile);
            if (in >> port_ && port_ > 0) break;
            port_ = 0;
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_ || std::chrono::steady_clock::now() > deadline) {
                Stop();
                throw std::runtime_error("the test web server did not start");
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        server_.emplace("LEXORAMA_SERVER", Host());
    }

    ~TestServer() {
        server_.reset();
        Stop();
    }

    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    int Port() const { return port_; }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string Url(const std::string& path) const { return "http://" + Host() + path; }
    const std::filesystem::path& Root() const { return root_; }

    // Writes a served file (LEXVERS.TXT, a ZIP package...) into the root.
    void Put(const std::string& name, const std::string& bytes) const { WriteFileBytes(root_ / name, bytes); }
    // A file of the root as bytes ("posted.bin" holds the last POST body); empty when missing.
    std::string Read(const std::string& name) const { return ReadFileBytes(root_ / name); }
    // Every request head received so far, byte for byte, in order.
    std::string Log() const { return ReadFileBytes(logPath_); }

private:
    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = 0;
    }

    TempDir dir_{"lexo-http"};
    std::filesystem::path root_, logPath_;
    pid_t pid_ = 0;
    int port_ = 0;
    std::optional<ScopedEnv> server_;
};

// A loopback port on which nobody listens: bound for a moment to learn a free one.
inline int RefusingPort() {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    ::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
    ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(s);
    return ntohs(a.sin_port);
}
