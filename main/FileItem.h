#pragma once
// One image file of a tab: a plain copyable record. The UI thread owns the tab's items; the
// workers convert copies of them.

#include <string>

// Tabs, always numbered the same way.
enum ConvertTab
{
    TAB_NORMAL = 0,   // "nc_": png, jpg, jpeg, bmp, psd, gif, tif, tiff
    TAB_HEIC = 1,     // "hc_": heic
    TAB_COMPRESS = 2, // "cc_": png, jpg, jpeg, bmp
    TAB_COUNT = 3,
};

// m_nStatus values.
enum FileStatus
{
    FILE_WAITING = 0,
    FILE_DONE = 2,
    FILE_FAILED = 3,
};

struct FileItem
{
    int m_nId = -1;
    std::wstring m_strPath;
    std::wstring m_strType;
    std::wstring m_strOutPath;
    int m_nOutType = 1; // 0 png, 1 jpg, 2 bmp
    int m_nStatus = FILE_WAITING;
    int m_nKind = TAB_NORMAL;
    int m_nProgress = 0;
    int m_nResize = 100;
    int m_nQuality = 80;
};
