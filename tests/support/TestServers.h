#pragma once
// Real servers on 127.0.0.1 for the HTTP client tests: a cpp-httplib server (plain or TLS
// with a self-signed certificate made by the openssl command), a raw socket server that cuts
// its reply short, and a port that refuses connections.

#include <httplib.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace httptest
{
// What the server saw of the last POST (to /echo or /missing).
struct SeenPost
{
    std::string contentType;
    std::string body;
    std::string contentLength;
    std::string target; // path and query as sent
};

class LocalHttpServer
{
public:
    // kBigSize bytes of a known pattern at /big; /big-slow sends them in pieces with pauses.
    static constexpr size_t kBigSize = 4 * 1024 * 1024;

    // certDir empty: plain HTTP; otherwise TLS with a self-signed certificate made there.
    explicit LocalHttpServer(const std::string& certDir = "");
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool ok() const { return m_port > 0; }
    std::string Url(const std::string& path) const;
    SeenPost LastPost() const;
    int RequestCount() const;
    // Serves body with status at path (GET), for replies a test makes up.
    void Serve(const std::string& path, int status, const std::string& body);
    // Answers GET path with a 302 to location.
    void ServeRedirect(const std::string& path, const std::string& location);
    // Bytes sent by /endless (a body without a length that never ends) and /trickle (one byte
    // every 100 ms, without end) until the client gives up.
    long long EndlessBytesSent() const;

    static std::string BigBody();

private:
    void AddHandlers();
    void AddSlowHandler();
    void AddBigHandlers();
    void AddEndlessHandlers();
    void Count();
    // Counts a POST and keeps what it was.
    void Remember(const httplib::Request& req);

    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
    std::string m_scheme = "http";
    mutable std::mutex m_mutex;
    std::condition_variable m_released;
    bool m_stopping = false;
    SeenPost m_lastPost;
    int m_requests = 0;
    long long m_endlessSent = 0;
};

// Answers every connection with a 200 status line and a Content-Length larger than the body it
// sends before it closes the connection.
class CutOffServer
{
public:
    CutOffServer();
    ~CutOffServer();
    CutOffServer(const CutOffServer&) = delete;
    CutOffServer& operator=(const CutOffServer&) = delete;

    std::string Url() const;

private:
    void Run();

    int m_listen = -1;
    int m_port = 0;
    std::thread m_thread;
};

// A port on 127.0.0.1 where nobody listens.
int ClosedPort();
// Makes cert.pem and key.pem in folder with the openssl command; false when that failed.
bool MakeSelfSignedCertificate(const std::string& folder);
} // namespace httptest
