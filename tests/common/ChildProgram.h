#pragma once
// Runs a helper program built beside the tests as a real child process and waits for it.

#include "support/TestSupport.h"

#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace testsupport
{
// The child's exit code, or -1 when it did not exit normally.
inline int RunHelperProgram(const std::string& name, const std::vector<std::string>& args)
{
    const std::string program = TestBinaryDir() + "/" + name;
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0)
    {
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
} // namespace testsupport
