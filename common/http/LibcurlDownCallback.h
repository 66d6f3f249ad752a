#pragma once
// Listener of download progress. ClusterCurl reports with kind 1; the updater implements it
// without downloading anything itself.

class CLibcurlDownCallback
{
public:
    virtual void OnDownloadProgress(int kind, int taskId, double total, double now) = 0;
    // A second notification that no caller of this system sends; listeners may ignore it.
    virtual void OnDownloadNotify(int kind, int taskId, int arg1, int arg2, int arg3) {}

protected:
    ~CLibcurlDownCallback() = default;
};
