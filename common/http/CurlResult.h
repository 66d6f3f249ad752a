#pragma once
// The result pair of every HTTP call of ClusterCurl.

#include <string>

struct CurlResult
{
    // 200 = success. Otherwise the HTTP status when the server sent one, else libcurl's CURLcode,
    // -1 for a local failure, -2 when the last move of a downloaded file found the target busy.
    int code = -1;
    // curl_easy_strerror's text for the transfer, or the local failure's text.
    std::string message;
};
