#pragma once
// A private Xvfb for the end-to-end tests: started once per test process on a free display
// number, with the GTK backend installed on it; it ends with the process.

#include <string>

namespace e2e
{
class XServer
{
public:
    // Starts the server (once) and installs the display backend; false when Xvfb is missing or
    // would not start, so that the caller can skip.
    static bool Ensure();
    static bool HasTool(const char* name);
    // Runs a command line against the test display; true when it exited with 0.
    static bool Run(const std::string& command);
    // The command's standard output (empty on failure).
    static std::string Output(const std::string& command);
};
} // namespace e2e
