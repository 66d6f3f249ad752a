#pragma once
// What differs between the four programs that share the dialog base: where the skin lies, the
// window icon, the single-instance names and the form of the message box.
//
// The table below is the one source of these values. Each program picks its row at build time:
// pictavo_program_skin() (skins/CMakeLists.txt) adds to the program a generated source that
// checks the zip name and ids it packs against this table and calls SelectProgram() before
// main. A process that selected nothing behaves as the main program.

#include "platform/WinTypes.h"
#include "platform/Window.h"

#include <string_view>

// Every program's top-level window: visible with the overlapped window's styles, and in the task
// bar. The skin draws the frame itself.
inline constexpr DWORD kTopWindowStyle = WS_VISIBLE | WS_OVERLAPPEDWINDOW;
inline constexpr DWORD kTopWindowExStyle = WS_EX_APPWINDOW | WS_EX_STATICEDGE;
static_assert(kTopWindowStyle == 0x10CF0000 && kTopWindowExStyle == 0x60000);

enum class PictavoProgram
{
    MAIN,
    SETUP,
    UNINST,
    UPDATE
};

struct ProgramTraits
{
    PictavoProgram program;
    LPCWSTR skinFolder; // below the program's folder, for skins read from files
    LPCWSTR zipName;
    UINT resourceId; // of the embedded skin zip, type "ZIPRES"
    UINT iconId;     // of the embedded window icon, type "ICON"
    LPCWSTR mutexName;
    LPCWSTR titleSuffix; // appended to the product name to make the top-level window's title
    bool olderMsgBox;    // the setup program's message box: no "go" page, no indent, 480 wide
};

inline constexpr ProgramTraits kProgramTraits[] = {
    {PictavoProgram::MAIN, L"skin/", L"skin.zip", 103, 102, L"{DD66664D-F1A0-47F4-8410-8151D33EA782}", L"",
     false},
    {PictavoProgram::SETUP, L"SetupSkin/", L"SetupSkin.zip", 105, 104,
     L"{02F57900-ED65-4A2C-B097-A0F168CEC327}", L"安装程序", true},
    {PictavoProgram::UNINST, L"UninstSkin/", L"UninstSkin.zip", 103, 102,
     L"{15FEEB1A-180E-441C-A57F-BDF8EDDEC5CA}", L"卸载程序", false},
    {PictavoProgram::UPDATE, L"UpdateSkin/", L"UpdateSkin.zip", 103, 102,
     L"{790B434D-7126-4F5D-A0BD-1603625EA943}", L"升级程序", false},
};

constexpr const ProgramTraits& GetProgramTraits(PictavoProgram program)
{
    return kProgramTraits[static_cast<int>(program)];
}

// For the build-time checks of the generated program source.
constexpr bool SameText(LPCWSTR a, LPCWSTR b)
{
    return std::wstring_view(a) == std::wstring_view(b);
}

// Makes program the one whose row this process uses. Returns true (for static initialisers).
bool SelectProgram(PictavoProgram program);
const ProgramTraits& CurrentProgram();
