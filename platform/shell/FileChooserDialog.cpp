#include "platform/shell/FileChooserDialog.h"

#include "platform/Owned.h"
#include "platform/Utf.h"
#include "platform/shell/FilterList.h"

#include "platform/gtk/GtkBackend.h"
#include "platform/gtk/ModalLoop.h"
#include "platform/gtk/NativeWindow.h"

namespace platform
{
namespace
{
void FreePatterns(gpointer data) noexcept
{
    delete static_cast<std::wstring*>(data);
}

std::string DefaultTitle(headless::FileDialogKind kind)
{
    const bool folder = kind == headless::FileDialogKind::Folder;
    return g_dgettext("gtk30", folder ? "Select a folder" : "Open");
}
} // namespace

FileChooserDialog::FileChooserDialog(GtkBackend& backend, const headless::FileDialogCall& call)
    : m_backend(backend), m_call(call)
{
}

gboolean FileChooserDialog::MatchFilter(const GtkFileFilterInfo* info, gpointer patterns) noexcept
try
{
    if (info->display_name == nullptr)
        return FALSE;
    return FilterList::Matches(*static_cast<std::wstring*>(patterns), FromUtf8(info->display_name)) ? TRUE
                                                                                                    : FALSE;
}
catch (...)
{
    return FALSE;
}

void FileChooserDialog::AddFilters(::GtkFileChooser* chooser) const
{
    GtkFileFilter* current = nullptr;
    DWORD index = 1;
    for (const auto& [description, patterns] : m_call.filters)
    {
        GtkFileFilter* filter = gtk_file_filter_new();
        gtk_file_filter_set_name(filter, ToDisplayUtf8(description).c_str());
        gtk_file_filter_add_custom(filter, GTK_FILE_FILTER_DISPLAY_NAME, &FileChooserDialog::MatchFilter,
                                   new std::wstring(patterns), &FreePatterns);
        gtk_file_chooser_add_filter(chooser, filter); // the chooser takes the floating reference
        if (index++ == std::max<DWORD>(m_call.filterIndex, 1))
            current = filter;
    }
    if (current != nullptr)
        gtk_file_chooser_set_filter(chooser, current);
}

GtkWidget* FileChooserDialog::MakeDialog(GtkWindow* parent) const
{
    const bool folder = m_call.kind == headless::FileDialogKind::Folder;
    const std::string title = m_call.title.empty() ? DefaultTitle(m_call.kind) : ToDisplayUtf8(m_call.title);
    GtkWidget* dialog = gtk_file_chooser_dialog_new(
        title.c_str(), parent, folder ? GTK_FILE_CHOOSER_ACTION_SELECT_FOLDER : GTK_FILE_CHOOSER_ACTION_OPEN,
        g_dgettext("gtk30", "_Cancel"), GTK_RESPONSE_CANCEL,
        g_dgettext("gtk30", folder ? "_Select" : "_Open"), GTK_RESPONSE_ACCEPT, nullptr);
    auto* chooser = GTK_FILE_CHOOSER(dialog);
    gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
    gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
    gtk_file_chooser_set_local_only(chooser, TRUE);
    gtk_file_chooser_set_select_multiple(chooser, (m_call.flags & OFN_ALLOWMULTISELECT) != 0 && !folder);
    gtk_file_chooser_set_show_hidden(chooser, (m_call.flags & OFN_FORCESHOWHIDDEN) != 0);
    if (!m_call.initialDir.empty())
        gtk_file_chooser_set_current_folder(chooser, ToUtf8(m_call.initialDir).c_str());
    if (!folder)
        AddFilters(chooser);
    return dialog;
}

void FileChooserDialog::OnResponse(GtkDialog*, gint response, gpointer self) noexcept
try
{
    auto* chooser = static_cast<FileChooserDialog*>(self);
    if (chooser->m_response == 0 && response != 0)
        chooser->m_response = response;
    PostMessageW(nullptr, WM_NULL, 0, 0); // ends the wait of the dialog's loop
}
catch (...)
{
}

std::vector<std::wstring> FileChooserDialog::Chosen(GtkWidget* dialog) const
{
    std::vector<std::wstring> paths;
    const GStringListPtr names(gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(dialog)));
    for (GSList* at = names.get(); at != nullptr; at = at->next)
        paths.push_back(FromUtf8(static_cast<const char*>(at->data)));
    return paths;
}

std::optional<std::vector<std::wstring>> FileChooserDialog::Run()
{
    ModalLoop loop(m_call.owner);
    NativeWindow* parent = loop.Owner() != nullptr ? m_backend.FindRoot(loop.Owner()) : nullptr;
    GtkWidget* dialog = MakeDialog(parent != nullptr ? parent->Window() : nullptr);
    g_signal_connect(dialog, "response", G_CALLBACK(&FileChooserDialog::OnResponse), this);
    loop.Run(dialog, [this] { return m_response != 0; });
    std::optional<std::vector<std::wstring>> chosen;
    if (m_response == GTK_RESPONSE_ACCEPT)
        chosen = Chosen(dialog);
    g_signal_handlers_disconnect_by_data(dialog, this);
    gtk_widget_destroy(dialog);
    if (chosen && chosen->empty())
        chosen.reset();
    return chosen;
}
} // namespace platform
