#pragma once
// Folders that only this user may use, made fresh inside a temporary folder that others may
// share.

#include <string>

// Makes folder (one level) and checks by descriptor that the new folder is a real folder of
// ours with no access for others. An entry already there (also a link planted by someone
// else) fails: the caller removes what it left earlier first. False when any check fails.
bool CreatePrivateFolder(const std::wstring& folder);
