#include "LocalFileHandler.h"

#include "platform/Win32.h"

LocalFileHandler::~LocalFileHandler()
{
    Close();
}

bool LocalFileHandler::Open(const char* path, const char* mode)
{
    Close();
    if (fopen_s(&m_pFile, path, mode) != 0)
        m_pFile = nullptr;
    return m_pFile != nullptr;
}

bool LocalFileHandler::Write(const void* data, size_t length)
{
    if (m_pFile == nullptr)
        return false;
    if (std::fwrite(data, 1, length, m_pFile) == length)
        return true;
    Close();
    return false;
}

void LocalFileHandler::Close()
{
    if (m_pFile == nullptr)
        return;
    std::fclose(m_pFile);
    m_pFile = nullptr;
}
