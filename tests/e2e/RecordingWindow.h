#pragma once
// A borderless top-level window for the end-to-end tests: it fills itself with one colour,
// records the messages it gets, and answers WM_NCHITTEST with HTCAPTION over its top band.

#include "platform/Window.h"
#include "tests/support/Waiting.h"

#include <functional>
#include <string>
#include <vector>

namespace e2e
{
struct Received
{
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class RecordingWindow
{
public:
    // Creates (not shows) the window at screen position (x, y).
    RecordingWindow(const std::wstring& title, int x, int y, int width, int height, COLORREF fill,
                    DWORD exStyle = 0, DWORD style = WS_POPUP);
    ~RecordingWindow();
    RecordingWindow(const RecordingWindow&) = delete;
    RecordingWindow& operator=(const RecordingWindow&) = delete;

    HWND hwnd() const { return m_hwnd; }
    const std::vector<Received>& received() const { return m_received; }
    // The first message of that number received from index `from` on, or nullptr.
    const Received* Find(UINT msg, size_t from = 0) const;
    size_t Count(UINT msg) const;
    // The WM_CHAR characters received, in order.
    std::wstring Typed() const;
    // Height of the band that answers HTCAPTION (0: none).
    int m_captionHeight = 0;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint();

    HWND m_hwnd = nullptr;
    COLORREF m_fill;
    std::vector<Received> m_received;
};

// Pumps until done() holds, waiting in GetMessageW (which also runs the display's events); a
// failure after timeoutMs.
::testing::AssertionResult PumpUntil(const std::function<bool()>& done,
                                     int timeoutMs = testsupport::kPumpTimeoutMs);
// Pumps for ms whatever comes: for what leaves nothing to wait on (a native window taken down).
void PumpFor(int ms);
} // namespace e2e
