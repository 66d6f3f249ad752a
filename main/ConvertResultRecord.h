#pragma once
// What a conversion worker posts back for one file; the UI thread deletes it.

#include "main/FileItem.h"

struct ConvertResultRecord : FileItem
{
    int m_nCode = 0; // 0 converted, -1 failed
    std::wstring m_strError;
    bool m_bLast = false; // the tab's queue was empty right after this file was taken
    // The run of the tab this file was queued by: a result of an earlier (cancelled) run
    // must not change the items or the state of the run that replaced it.
    unsigned m_nRun = 0;
};
