#pragma once
// A real login site on 127.0.0.1 (cpp-httplib): pages, pictures and the statistics endpoint,
// recording what reached it.

#include <httplib.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace webtest
{
class LoginSite
{
public:
    // port 0: any free port.
    explicit LoginSite(int port = 0);
    ~LoginSite();
    LoginSite(const LoginSite&) = delete;
    LoginSite& operator=(const LoginSite&) = delete;

    bool ok() const { return m_port > 0; }
    int port() const { return m_port; }
    std::string Url(const std::string& path) const;
    // GET path answers body with the status and content type.
    void Serve(const std::string& path, int status, const std::string& body, const std::string& type);
    // Paths (with their queries) of every request so far, and the POST bodies by path.
    std::vector<std::string> Requests() const;
    std::string PostBody(const std::string& path) const;
    int Count(const std::string& pathPrefix) const;

private:
    httplib::Server m_server;
    std::thread m_thread;
    int m_port = 0;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_requests;
    std::vector<std::pair<std::string, std::string>> m_posts;
};

// A PNG picture of the given size and colour, made by ImageMagick.
std::string MakePng(int width, int height, const std::string& colour);
} // namespace webtest
