#include "tests/support/TestServers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace httptest
{
namespace
{
const size_t kPiece = 64 * 1024;

void HandleEcho(const httplib::Request& req, httplib::Response& res)
{
    res.set_content("got " + std::to_string(req.body.size()) + " bytes", "text/plain");
}

int ListenOnLoopback(int* port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    {
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return fd;
}
} // namespace

LocalHttpServer::LocalHttpServer(const std::string& certDir)
{
    if (certDir.empty())
    {
        m_server = std::make_unique<httplib::Server>();
    }
    else
    {
        m_scheme = "https";
        const std::string cert = certDir + "/cert.pem";
        const std::string key = certDir + "/key.pem";
        m_server = std::make_unique<httplib::SSLServer>(cert.c_str(), key.c_str());
    }
    AddHandlers();
    m_port = m_server->bind_to_any_port("127.0.0.1");
    if (m_port <= 0)
        return;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    while (!m_server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LocalHttpServer::~LocalHttpServer()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_released.notify_all();
    m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
}

std::string LocalHttpServer::Url(const std::string& path) const
{
    return m_scheme + "://127.0.0.1:" + std::to_string(m_port) + path;
}

SeenPost LocalHttpServer::LastPost() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lastPost;
}

int LocalHttpServer::RequestCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

void LocalHttpServer::Count()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    ++m_requests;
}

void LocalHttpServer::Remember(const httplib::Request& req)
{
    Count();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_lastPost = SeenPost{req.get_header_value("Content-Type"), req.body,
                          req.get_header_value("Content-Length"), req.target};
}

void LocalHttpServer::Serve(const std::string& path, int status, const std::string& body)
{
    m_server->Get(path, [this, status, body](const httplib::Request&, httplib::Response& res) {
        Count();
        res.status = status;
        res.set_content(body, "application/json");
    });
}

void LocalHttpServer::ServeRedirect(const std::string& path, const std::string& location)
{
    m_server->Get(path, [this, location](const httplib::Request&, httplib::Response& res) {
        Count();
        res.set_redirect(location);
    });
}

long long LocalHttpServer::EndlessBytesSent() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_endlessSent;
}

std::string LocalHttpServer::BigBody()
{
    std::string body(kBigSize, '\0');
    for (size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<char>((i * 7 + i / 251) & 0xff);
    return body;
}

void LocalHttpServer::AddHandlers()
{
    m_server->Get("/hello", [this](const httplib::Request&, httplib::Response& res) {
        Count();
        res.set_content("hello, world", "text/plain");
    });
    m_server->Get("/missing", [this](const httplib::Request&, httplib::Response& res) {
        Count();
        res.status = 404;
        res.set_content("<html>no such page</html>", "text/html");
    });
    m_server->Get(R"(/redirect/(\d+))", [this](const httplib::Request& req, httplib::Response& res) {
        Count();
        const int left = std::atoi(req.matches[1].str().c_str());
        if (left == 0)
            res.set_content("end of the chain", "text/plain");
        else
            res.set_redirect("/redirect/" + std::to_string(left - 1));
    });
    m_server->Post("/echo", [this](const httplib::Request& req, httplib::Response& res) {
        Remember(req);
        HandleEcho(req, res);
    });
    m_server->Post("/missing", [this](const httplib::Request& req, httplib::Response& res) {
        Remember(req);
        res.status = 404;
        res.set_content("no form here", "text/plain");
    });
    AddSlowHandler();
    AddBigHandlers();
    AddEndlessHandlers();
}

void LocalHttpServer::AddEndlessHandlers()
{
    for (const bool trickle : {false, true})
    {
        m_server->Get(trickle ? "/trickle" : "/endless",
                      [this, trickle](const httplib::Request&, httplib::Response& res) {
                          Count();
                          res.set_chunked_content_provider(
                              "application/octet-stream", [this, trickle](size_t, httplib::DataSink& sink) {
                                  const std::string piece(trickle ? 1 : kPiece, 'z');
                                  if (!sink.write(piece.data(), piece.size()))
                                      return false;
                                  std::unique_lock<std::mutex> lock(m_mutex);
                                  m_endlessSent += static_cast<long long>(piece.size());
                                  if (trickle)
                                      m_released.wait_for(lock, std::chrono::milliseconds(100),
                                                          [this] { return m_stopping; });
                                  return !m_stopping;
                              });
                      });
    }
}

// Answers after 5 s, or when the server stops, whichever comes first.
void LocalHttpServer::AddSlowHandler()
{
    m_server->Get("/slow", [this](const httplib::Request&, httplib::Response& res) {
        Count();
        std::unique_lock<std::mutex> lock(m_mutex);
        m_released.wait_for(lock, std::chrono::seconds(5), [this] { return m_stopping; });
        res.set_content("late", "text/plain");
    });
}

void LocalHttpServer::AddBigHandlers()
{
    auto body = std::make_shared<std::string>(BigBody());
    for (const bool slow : {false, true})
    {
        m_server->Get(slow ? "/big-slow" : "/big",
                      [this, body, slow](const httplib::Request&, httplib::Response& res) {
                          Count();
                          res.set_content_provider(
                              body->size(), "application/octet-stream",
                              [this, body, slow](size_t offset, size_t length, httplib::DataSink& sink) {
                                  if (slow)
                                      std::this_thread::sleep_for(std::chrono::milliseconds(5));
                                  sink.write(body->data() + offset, std::min(length, kPiece));
                                  std::lock_guard<std::mutex> lock(m_mutex);
                                  return !m_stopping;
                              });
                      });
    }
}

CutOffServer::CutOffServer()
{
    m_listen = ListenOnLoopback(&m_port);
    if (m_listen < 0 || ::listen(m_listen, 8) != 0)
        return;
    m_thread = std::thread([this] { Run(); });
}

CutOffServer::~CutOffServer()
{
    if (m_listen >= 0)
        ::shutdown(m_listen, SHUT_RDWR);
    if (m_thread.joinable())
        m_thread.join();
    if (m_listen >= 0)
        ::close(m_listen);
}

std::string CutOffServer::Url() const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + "/cut";
}

void CutOffServer::Run()
{
    for (;;)
    {
        const int client = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0)
            return;
        // Read the request head, then promise 10000 bytes and send 1000.
        std::string head;
        char buffer[1024];
        while (head.find("\r\n\r\n") == std::string::npos)
        {
            const ssize_t got = ::recv(client, buffer, sizeof(buffer), 0);
            if (got <= 0)
                break;
            head.append(buffer, static_cast<size_t>(got));
        }
        const std::string reply =
            "HTTP/1.1 200 OK\r\nContent-Length: 10000\r\nContent-Type: text/plain\r\n\r\n" +
            std::string(1000, 'x');
        (void)::send(client, reply.data(), reply.size(), MSG_NOSIGNAL);
        ::close(client);
    }
}

int ClosedPort()
{
    int port = 0;
    const int fd = ListenOnLoopback(&port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

bool MakeSelfSignedCertificate(const std::string& folder)
{
    const std::string command = "openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj /CN=127.0.0.1"
                                " -addext subjectAltName=IP:127.0.0.1 -keyout '" +
                                folder + "/key.pem' -out '" + folder + "/cert.pem' >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}
} // namespace httptest
