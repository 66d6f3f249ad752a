#pragma once
// Owner of one C runtime file; closed when the owner ends.

#include <cstddef>
#include <cstdio>

class LocalFileHandler
{
public:
    LocalFileHandler() = default;
    LocalFileHandler(const LocalFileHandler&) = delete;
    LocalFileHandler& operator=(const LocalFileHandler&) = delete;
    ~LocalFileHandler();

    // Closes any open file, then opens path with the C runtime mode.
    bool Open(const char* path, const char* mode);
    // A short write closes the file, so the next line reopens it.
    bool Write(const void* data, size_t length);
    void Close();
    bool IsOpen() const { return m_pFile != nullptr; }

private:
    FILE* m_pFile = nullptr;
};
