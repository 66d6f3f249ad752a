#pragma once
// The main program's question for the newest version: the only request that reads the main
// program's config.ini, so it lives with the main program rather than the request manager.
#include <string>

// Asks the address of config.ini's version_url for the newest version and its package address;
// both stay untouched when the request or its reply fails.
void GetMajor(std::wstring* version, std::wstring* packUrl);
