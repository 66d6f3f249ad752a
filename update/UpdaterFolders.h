#pragma once
// The two folders the updater may change: the registered install folder it applies the package
// to, and its own temporary copy, the only folder it removes. Both are compared by their real
// paths, so that a link or a "/./" cannot make another folder pass for one of them.

#include <string>

// The registered install folder that holds Pictavo.
bool IsRegisteredInstall(const std::wstring& folder);
// The private "PictavoUpdate" folder directly under the temporary path, where Pictavo puts the
// updater's copy before starting it.
bool IsOwnTemporaryCopy(const std::wstring& folder);
