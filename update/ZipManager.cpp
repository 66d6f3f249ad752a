#include "update/ZipManager.h"

#include "platform/DebugOutput.h"
#include "platform/Utf.h"

#include <cstdio>
#include <cwchar>

namespace
{
constexpr size_t kDebugTextBytes = 256;

// The text is cut to the buffer at a character boundary, never in the middle of a UTF-8 sequence.
void ReportZipError(const char* text, ZipResult code)
{
    char buffer[kDebugTextBytes] = {};
    const int length = std::snprintf(buffer, sizeof buffer, "%s 错误代码：0x%08x", text, code);
    if (length >= static_cast<int>(sizeof buffer))
    {
        size_t end = sizeof buffer - 1;
        while (end > 0 && (static_cast<unsigned char>(buffer[end]) & 0xC0) == 0x80)
            --end;
        buffer[end] = '\0';
    }
    OutputDebugStringA(buffer);
}

// The last component of path; a separator in the first position does not count.
void GetFileNamePart(const wchar_t* path, wchar_t* out)
{
    const size_t length = std::wcslen(path);
    size_t start = 0;
    for (size_t i = length; i > 1; --i)
    {
        if (path[i - 1] == L'\\' || path[i - 1] == L'/')
        {
            start = i;
            break;
        }
    }
    std::wmemcpy(out, path + start, length - start + 1);
}
} // namespace

CZipManager::~CZipManager()
{
    if (m_hZip != nullptr)
        CloseZipArchive(m_hZip);
}

BOOL CZipManager::OpenZip(const wchar_t* path, const char* password)
{
    m_failedStep = Step::Open;
    m_lastFailure = ZIP_ARGS;
    m_failedIndex = -1;
    m_failedName.clear();
    if (path == nullptr)
    {
        ReportZipError("qrtn: 压缩文件名为NULL.", 0);
        return FALSE;
    }
    const size_t length = std::wcslen(path);
    if (length >= MAX_PATH)
    {
        ReportZipError("qrtn: 加载压缩文件失败.", ZIP_ARGS);
        return FALSE;
    }
    std::wmemcpy(m_szZipName, path, length + 1);
    if (wchar_t* dot = std::wcsrchr(m_szZipName, L'.'))
        *dot = L'\0';
    if (m_hZip != nullptr)
        CloseZipArchive(m_hZip);
    m_hZip = OpenZipArchive(path, password, &m_lastFailure);
    if (m_hZip == nullptr)
    {
        ReportZipError("qrtn: 加载压缩文件失败.", 0);
        return FALSE;
    }
    m_failedStep = Step::None;
    return TRUE;
}

BOOL CZipManager::SetUnzipDir(const wchar_t* folder)
{
    ZipResult result = CheckHandle();
    if (result == ZIP_OK)
        result = Archive()->SetBaseDir(folder != nullptr ? folder : m_szZipName);
    if (result != ZIP_OK)
        ReportZipError("qrtn: 设置压缩路径失败.", result);
    return result == ZIP_OK;
}

BOOL CZipManager::GetItemCount(int* count)
{
    ZipEntry entry = {};
    if (count == nullptr || CheckHandle() != ZIP_OK || Archive()->GetEntry(-1, &entry) != ZIP_OK)
        return FALSE;
    *count = entry.index;
    return TRUE;
}

BOOL CZipManager::GetItemName(int index, wchar_t* name)
{
    ZipEntry entry = {};
    if (name == nullptr || CheckHandle() != ZIP_OK || Archive()->GetEntry(index, &entry) != ZIP_OK)
        return FALSE;
    std::wmemcpy(name, entry.name, std::wcslen(entry.name) + 1);
    return TRUE;
}

BOOL CZipManager::UnzipItemByName(const wchar_t* name, wchar_t* fileName)
{
    if (name == nullptr || fileName == nullptr)
    {
        ReportZipError("qrtn: 待解压的子项名为NULL.", 0);
        return FALSE;
    }
    int index = -1;
    ZipResult result = CheckHandle();
    if (result == ZIP_OK)
        result = Archive()->FindEntry(name, &index, nullptr);
    if (result != ZIP_OK)
    {
        ReportZipError("qrtn: 查找待解压的子项失败.", result);
        return FALSE;
    }
    // Never longer than name, which FindEntry only matched when it fits an entry name.
    GetFileNamePart(name, fileName);
    result = Archive()->UnzipEntry(index, fileName);
    if (result != ZIP_OK)
    {
        ReportZipError("qrtn: 解压子项失败.", result);
        return FALSE;
    }
    return TRUE;
}

BOOL CZipManager::UnzipItem(int index, const wchar_t* target)
{
    return CheckHandle() == ZIP_OK && Archive()->UnzipEntry(index, target) == ZIP_OK;
}

BOOL CZipManager::UnzipAll()
{
    m_failedStep = Step::None;
    m_failedIndex = -1;
    m_failedName.clear();
    m_lastFailure = CheckHandle();
    if (m_lastFailure != ZIP_OK)
    {
        m_failedStep = Step::Open;
        return FALSE;
    }
    ZipEntry entry = {};
    ZipResult result = Archive()->GetEntry(-1, &entry);
    if (result != ZIP_OK)
        return FailUnzipAll(Step::Check, result, -1);
    const int count = entry.index;
    int failed = -1;
    result = Archive()->CheckEntries(&failed);
    if (result != ZIP_OK)
        return FailUnzipAll(Step::Check, result, failed);
    for (int i = 0; i < count; ++i)
    {
        entry = ZipEntry{};
        result = Archive()->GetEntry(i, &entry);
        if (result == ZIP_OK)
            result = Archive()->UnzipEntry(i, entry.name);
        if (result != ZIP_OK)
            return FailUnzipAll(Step::Unpack, result, i);
    }
    return TRUE;
}

void CZipManager::Release()
{
    delete this;
}

ZipResult CZipManager::GetLastFailure(int* index, std::wstring* name) const
{
    if (index != nullptr)
        *index = m_failedIndex;
    if (name != nullptr)
        *name = m_failedName;
    return m_lastFailure;
}

ZipResult CZipManager::CheckHandle() const
{
    if (m_hZip == nullptr)
        return ZIP_ARGS;
    return m_hZip->kind == kZipHandleArchive ? ZIP_OK : ZIP_WRONG_KIND;
}

// Says which entry stopped the unpacking, so that a failed update can be traced.
BOOL CZipManager::FailUnzipAll(Step step, ZipResult result, int index)
{
    m_failedStep = step;
    m_lastFailure = result;
    m_failedIndex = index;
    ZipEntry entry = {};
    if (index >= 0 && Archive()->GetEntry(index, &entry) == ZIP_OK)
        m_failedName = entry.name;
    const std::string text = "qrtn: 解压子项失败. [" + platform::ToUtf8(m_failedName) + "]";
    ReportZipError(text.c_str(), result);
    return FALSE;
}
