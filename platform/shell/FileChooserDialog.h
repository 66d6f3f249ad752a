#pragma once
// The desktop's file chooser for GetOpenFileNameW and SHBrowseForFolderW: a modal
// GtkFileChooserDialog, transient for the owner's window, run in a ModalLoop so that the UI
// thread's messages and timers go on. UI thread only.

#include "platform/Dialogs.h"

#include <gtk/gtk.h>

#include <optional>
#include <string>
#include <vector>

namespace platform
{
class GtkBackend;

class FileChooserDialog
{
public:
    FileChooserDialog(GtkBackend& backend, const headless::FileDialogCall& call);
    // The chosen paths, or std::nullopt when the dialog was cancelled or closed.
    std::optional<std::vector<std::wstring>> Run();

private:
    GtkWidget* MakeDialog(GtkWindow* parent) const;
    void AddFilters(::GtkFileChooser* chooser) const;
    static gboolean MatchFilter(const GtkFileFilterInfo* info, gpointer patterns) noexcept;
    static void OnResponse(GtkDialog*, gint response, gpointer self) noexcept;
    std::vector<std::wstring> Chosen(GtkWidget* dialog) const;

    GtkBackend& m_backend;
    const headless::FileDialogCall& m_call;
    gint m_response = 0;
};
} // namespace platform
