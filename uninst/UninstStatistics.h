#pragma once
// The uninstall report to the statistics service, sent once when the removal is complete: a
// form POST whose body is "info=" and the base64 text of a JSON object.

#include "platform/WinTypes.h"

#include <string>

// The service address: [Config] uninstall_statistics_url of config.ini in installDir, else
// the built-in address. Read when the window opens, before the removal deletes config.ini.
std::wstring UninstallStatisticsBaseUrl(const std::wstring& installDir);
// The JSON text (one line, keys in ascending order, a newline at the end).
std::string UninstallStatisticsJson(const std::wstring& versionId, const std::wstring& version,
                                    const std::wstring& channel, const std::wstring& machineId);
// The request id of the POST to base (its reply comes to notify as WM_HTTP_REPLY).
int SendUninstallStatistics(HWND notify, const std::wstring& base, const std::wstring& versionId,
                            const std::wstring& version, const std::wstring& channel,
                            const std::wstring& machineId);
