#pragma once
// The user's home, configuration and XDG user folders (desktop, documents). A user folder is
// what `xdg-user-dir` says when it is installed, else what ~/.config/user-dirs.dirs says, else
// the usual English name below the home folder. A user folder set to the home folder itself
// means "none" in XDG terms, so the usual name is used then too.

#include <string>

namespace platform
{
class UserDirs
{
public:
    static std::string Home();
    // $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
    static std::string ConfigHome();
    // $XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
    static std::string DataHome();
    // name: "DESKTOP", "DOCUMENTS"; fallback: "Desktop", "Documents".
    static std::string Lookup(const std::string& name, const std::string& fallback);
    // The value of XDG_<name>_DIR in the text of a user-dirs.dirs file, "$HOME" expanded; empty
    // when the file does not set it or sets it to something that is not an absolute path.
    static std::string ParseDirsFile(const std::string& text, const std::string& name,
                                     const std::string& home);

private:
    static std::string FromTool(const std::string& name);
    static std::string FromFile(const std::string& name);
    static std::string Unquote(const std::string& value);
};
} // namespace platform
