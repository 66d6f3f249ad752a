#pragma once
// A drag source of our own, as a file manager offers files: a plain undecorated GTK window of
// 120 x 120 that gives a text/uri-list when dropped somewhere. It answers the drop only while
// this thread pumps its messages.

#include <string>
#include <vector>

// GTK's headers stay out: their TRUE and FALSE would clash with the platform's.
struct _GtkWidget;

namespace e2e
{
class DragSource
{
public:
    static constexpr int kSize = 120;

    // Shows the window at screen position (x, y) offering the URIs in this order.
    DragSource(int x, int y, std::vector<std::string> uris);
    ~DragSource();
    DragSource(const DragSource&) = delete;
    DragSource& operator=(const DragSource&) = delete;

    // The file: URI of a local path.
    static std::string UriOf(const std::string& path);
    // True once the window is on the display.
    bool Shown() const;
    // xdotool steps that press on the source, move far enough for a drag to begin and on to the
    // screen point (x, y), and let go there.
    std::vector<std::string> DragTo(int x, int y) const;

private:
    int m_x;
    int m_y;
    std::vector<std::string> m_uris;
    _GtkWidget* m_window;
};
} // namespace e2e
