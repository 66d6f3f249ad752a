#include "tests/main/webpanel/LoginSite.h"

#include "tests/support/TestSupport.h"

#include <cstdlib>

namespace webtest
{
LoginSite::LoginSite(int port)
{
    m_server.set_logger([this](const httplib::Request& req, const httplib::Response&) {
        std::string line = req.path;
        if (!req.params.empty())
        {
            // The query as sent, for the percent-encoding checks.
            const std::string target = req.target;
            const size_t mark = target.find('?');
            line = mark == std::string::npos ? target : req.path + target.substr(mark);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        m_requests.push_back(line);
        if (req.method == "POST")
            m_posts.emplace_back(req.path, req.body);
    });
    m_server.Post(".*", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("{}", "application/json");
    });
    if (port == 0)
        m_port = m_server.bind_to_any_port("127.0.0.1");
    else if (m_server.bind_to_port("127.0.0.1", port))
        m_port = port;
    if (m_port > 0)
        m_thread = std::thread([this] { m_server.listen_after_bind(); });
    while (m_port > 0 && !m_server.is_running())
        std::this_thread::yield();
}

LoginSite::~LoginSite()
{
    m_server.stop();
    if (m_thread.joinable())
        m_thread.join();
}

std::string LoginSite::Url(const std::string& path) const
{
    return "http://127.0.0.1:" + std::to_string(m_port) + path;
}

void LoginSite::Serve(const std::string& path, int status, const std::string& body, const std::string& type)
{
    m_server.Get(path, [status, body, type](const httplib::Request&, httplib::Response& res) {
        res.status = status;
        res.set_content(body, type);
    });
}

std::vector<std::string> LoginSite::Requests() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_requests;
}

std::string LoginSite::PostBody(const std::string& path) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [where, body] : m_posts)
    {
        if (where == path)
            return body;
    }
    return {};
}

int LoginSite::Count(const std::string& pathPrefix) const
{
    int count = 0;
    for (const std::string& request : Requests())
        count += request.rfind(pathPrefix, 0) == 0 ? 1 : 0;
    return count;
}

std::string MakePng(int width, int height, const std::string& colour)
{
    testsupport::TempDir dir("png");
    const std::string path = dir / "picture.png";
    const std::string command = "convert -size " + std::to_string(width) + "x" + std::to_string(height) +
                                " xc:'" + colour + "' PNG32:'" + path + "'";
    if (std::system(command.c_str()) != 0)
        return {};
    return testsupport::ReadFile(path);
}
} // namespace webtest
