#include "webview/WkeView.h"

#include "webview/GdkInput.h"
#include "webview/WkeEngine.h"

#include "platform/Gdi.h"
#include "platform/Owned.h"
#include "platform/Utf.h"

#include <glib.h>

#include <algorithm>

// The signal handlers here are called by WebKit and GTK: they are noexcept, and one that calls
// the host or allocates catches inside and answers as if nothing had happened (a navigation it
// could not decide is refused). The layer has no log to tell.
namespace
{
using wkeimpl::WkeEngine;
using UserScriptPtr = std::unique_ptr<WebKitUserScript, platform::FreeWith<webkit_user_script_unref>>;

std::string NewToken()
{
    std::string token;
    for (int i = 0; i < 4; ++i)
    {
        char part[9];
        g_snprintf(part, sizeof part, "%08x", g_random_int());
        token += part;
    }
    return token;
}

void Report(wkeWebView view, wkeLoadingResult result, const std::string& reason)
{
    if (view->onFinish == nullptr)
        return;
    wkeStringImpl url{platform::FromUtf8(view->url)};
    wkeStringImpl why{platform::FromUtf8(reason)};
    view->onFinish(view, view->finishParam, &url, result, &why);
}

// A main resource answered with an HTTP error is a failed page for the host.
bool HttpFailed(WebKitWebView* web)
{
    WebKitWebResource* resource = webkit_web_view_get_main_resource(web);
    WebKitURIResponse* response = resource != nullptr ? webkit_web_resource_get_response(resource) : nullptr;
    return response != nullptr && webkit_uri_response_get_status_code(response) >= 400;
}

void OnLoadChanged(WebKitWebView* web, WebKitLoadEvent event, gpointer data) noexcept
try
{
    auto* view = static_cast<wkeWebView>(data);
    if (event == WEBKIT_LOAD_STARTED)
    {
        view->failed = false;
        view->failedUrl.clear();
        view->styleCursor = -1;
    }
    if (event != WEBKIT_LOAD_FINISHED || view->failed)
        return;
    const char* uri = webkit_web_view_get_uri(web);
    const std::string shown = uri != nullptr ? uri : "";
    // WebKit ends some failed loads on about:blank without a failure of their own.
    if ((shown.empty() || shown == "about:blank") && view->url != "about:blank")
        Report(view, WKE_LOADING_FAILED, "blank page");
    else if (HttpFailed(web))
        Report(view, WKE_LOADING_FAILED, "http error");
    else
        Report(view, WKE_LOADING_SUCCEEDED, "");
}
catch (...)
{
}

gboolean OnLoadFailed(WebKitWebView*, WebKitLoadEvent, gchar* failingUri, GError* error,
                      gpointer data) noexcept
try
{
    auto* view = static_cast<wkeWebView>(data);
    view->failed = true;
    // WebKit keeps showing (and would reload) the page before; a reload asks for this one.
    view->failedUrl = failingUri != nullptr ? failingUri : view->url;
    // A load given up for a newer one reports nothing: the newer one reports its own end.
    if (!g_error_matches(error, WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED))
        Report(view, WKE_LOADING_FAILED, error != nullptr ? error->message : "");
    return TRUE; // no error page of WebKit's own
}
catch (...)
{
    return TRUE;
}

void OnTitle(WebKitWebView* web, GParamSpec*, gpointer data) noexcept
try
{
    auto* view = static_cast<wkeWebView>(data);
    const char* title = webkit_web_view_get_title(web);
    wkeStringImpl text{platform::FromUtf8(title != nullptr ? title : "")};
    if (view->onTitle != nullptr)
        view->onTitle(view, view->titleParam, &text);
}
catch (...)
{
}

void OnUri(WebKitWebView* web, GParamSpec*, gpointer data) noexcept
try
{
    auto* view = static_cast<wkeWebView>(data);
    const char* uri = webkit_web_view_get_uri(web);
    wkeStringImpl text{platform::FromUtf8(uri != nullptr ? uri : "")};
    if (view->onUrl != nullptr)
        view->onUrl(view, view->urlParam, &text);
}
catch (...)
{
}

wkeNavigationType NavigationType(WebKitNavigationAction* action)
{
    switch (webkit_navigation_action_get_navigation_type(action))
    {
    case WEBKIT_NAVIGATION_TYPE_LINK_CLICKED:
        return WKE_NAVIGATION_TYPE_LINKCLICK;
    case WEBKIT_NAVIGATION_TYPE_FORM_SUBMITTED:
        return WKE_NAVIGATION_TYPE_FORMSUBMITTE;
    case WEBKIT_NAVIGATION_TYPE_BACK_FORWARD:
        return WKE_NAVIGATION_TYPE_BACKFORWARD;
    case WEBKIT_NAVIGATION_TYPE_RELOAD:
        return WKE_NAVIGATION_TYPE_RELOAD;
    case WEBKIT_NAVIGATION_TYPE_FORM_RESUBMITTED:
        return WKE_NAVIGATION_TYPE_FORMRESUBMITT;
    default:
        return WKE_NAVIGATION_TYPE_OTHER;
    }
}

gboolean OnDecidePolicy(WebKitWebView*, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                        gpointer data) noexcept
try
{
    auto* view = static_cast<wkeWebView>(data);
    if (type == WEBKIT_POLICY_DECISION_TYPE_RESPONSE)
    {
        // What WebKit cannot show would become a download: refused.
        if (!webkit_response_policy_decision_is_mime_type_supported(
                WEBKIT_RESPONSE_POLICY_DECISION(decision)))
            webkit_policy_decision_ignore(decision);
        else
            webkit_policy_decision_use(decision);
        return TRUE;
    }
    WebKitNavigationAction* action =
        webkit_navigation_policy_decision_get_navigation_action(WEBKIT_NAVIGATION_POLICY_DECISION(decision));
    WebKitURIRequest* request = webkit_navigation_action_get_request(action);
    wkeStringImpl target{platform::FromUtf8(webkit_uri_request_get_uri(request))};
    const bool newWindow = type == WEBKIT_POLICY_DECISION_TYPE_NEW_WINDOW_ACTION;
    const wkeNavigationType kind = newWindow ? WKE_NAVIGATION_TYPE_NEWWINDOW : NavigationType(action);
    const bool allowed =
        view->onNavigation == nullptr || view->onNavigation(view, view->navigationParam, kind, &target);
    // A new window is never opened here; the host decides what becomes of its address.
    if (allowed && !newWindow)
        webkit_policy_decision_use(decision);
    else
        webkit_policy_decision_ignore(decision);
    return TRUE;
}
catch (...)
{
    webkit_policy_decision_ignore(decision); // what could not be decided is not loaded
    return TRUE;
}

// The engine's cursor code for a CSS cursor name; -1 for "auto" and names without a code of
// their own, where hit testing decides.
int CursorOfStyle(const std::string& name)
{
    struct Entry
    {
        const char* name;
        int code;
    };
    static constexpr Entry kStyles[] = {
        {"default", WKE_CURSOR_POINTER},
        {"pointer", WKE_CURSOR_HAND},
        {"text", WKE_CURSOR_IBEAM},
        {"vertical-text", WKE_CURSOR_IBEAM},
        {"wait", WKE_CURSOR_WAIT},
        {"progress", WKE_CURSOR_WAIT},
        {"help", WKE_CURSOR_HELP},
        {"ew-resize", WKE_CURSOR_SIZE_WE},
        {"e-resize", WKE_CURSOR_SIZE_WE},
        {"w-resize", WKE_CURSOR_SIZE_WE},
        {"col-resize", WKE_CURSOR_SIZE_WE},
        {"ns-resize", WKE_CURSOR_SIZE_NS},
        {"n-resize", WKE_CURSOR_SIZE_NS},
        {"s-resize", WKE_CURSOR_SIZE_NS},
        {"row-resize", WKE_CURSOR_SIZE_NS},
        {"nesw-resize", WKE_CURSOR_SIZE_NESW},
        {"ne-resize", WKE_CURSOR_SIZE_NESW},
        {"sw-resize", WKE_CURSOR_SIZE_NESW},
        {"nwse-resize", WKE_CURSOR_SIZE_NWSE},
        {"nw-resize", WKE_CURSOR_SIZE_NWSE},
        {"se-resize", WKE_CURSOR_SIZE_NWSE},
        {"move", WKE_CURSOR_MOVE},
        {"all-scroll", WKE_CURSOR_MOVE},
    };
    for (const Entry& entry : kStyles)
    {
        if (name == entry.name)
            return entry.code;
    }
    return -1;
}

void OnMouseTarget(WebKitWebView*, WebKitHitTestResult* hit, guint, gpointer data) noexcept
{
    auto* view = static_cast<wkeWebView>(data);
    if (webkit_hit_test_result_context_is_link(hit))
        view->cursor = WKE_CURSOR_HAND;
    else if (webkit_hit_test_result_context_is_editable(hit))
        view->cursor = WKE_CURSOR_IBEAM;
    else
        view->cursor = WKE_CURSOR_POINTER;
}

// Dialogs, option menus and tooltips would be windows of their own over an offscreen view: the
// host shows none of them, so each is answered here (a dialog as dismissed). The context menu
// is the engine's own, opened at the pointer (see ToScreen).
gboolean Swallow(GtkWidget*, gpointer, gpointer) noexcept
{
    return TRUE;
}
gboolean SwallowOptionMenu(WebKitWebView*, WebKitOptionMenu*, GdkEvent*, GdkRectangle*, gpointer) noexcept
{
    return TRUE;
}
gboolean NoTooltip(GtkWidget*, gint, gint, gboolean, GtkTooltip*, gpointer) noexcept
{
    return FALSE;
}

// The offscreen window stands where the host shows the view: popups of the view (the
// context menu of a field) open on the screen at the pointer.
void ToScreen(GdkWindow*, gdouble x, gdouble y, gdouble* screenX, gdouble* screenY, gpointer data) noexcept
{
    auto* view = static_cast<wkeWebView>(data);
    *screenX = x + view->screenX;
    *screenY = y + view->screenY;
}

void FromScreen(GdkWindow*, gdouble screenX, gdouble screenY, gdouble* x, gdouble* y, gpointer data) noexcept
{
    auto* view = static_cast<wkeWebView>(data);
    *x = screenX - view->screenX;
    *y = screenY - view->screenY;
}

gboolean OnDamage(GtkWidget*, GdkEventExpose* event, gpointer data) noexcept
try
{
    auto* view = static_cast<wkeWebView>(data);
    view->dirty = true;
    if (view->onPaint != nullptr)
        view->onPaint(view, view->paintParam, nullptr, event->area.x, event->area.y, event->area.width,
                      event->area.height);
    return FALSE;
}
catch (...)
{
    return FALSE;
}

// The text of a script string, empty for any other value.
std::string StringOf(JSCValue* value)
{
    if (!jsc_value_is_string(value))
        return std::string();
    const platform::GMemoryPtr<gchar> chars(jsc_value_to_string(value));
    return chars.get();
}

void OnScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer data) noexcept
try
{
    auto* view = static_cast<wkeWebView>(data);
    JSCValue* message = webkit_javascript_result_get_js_value(result);
    if (!jsc_value_is_object(message))
        return;
    auto text = [&](const char* name) {
        const platform::GObjectPtr<JSCValue> value(jsc_value_object_get_property(message, name));
        return StringOf(value.get());
    };
    // Calls without this view's token come from frames or scripts that never got the functions.
    if (text("t") != view->token)
        return;
    const std::string cursor = text("c");
    if (!cursor.empty())
    {
        view->styleCursor = CursorOfStyle(cursor);
        return;
    }
    const wkeimpl::Binding* binding = WkeEngine::Instance().Find(text("n"));
    if (binding == nullptr)
        return;
    jsExecStateImpl state{view, {}};
    const platform::GObjectPtr<JSCValue> args(jsc_value_object_get_property(message, "a"));
    for (unsigned i = 0; i < binding->argCount && jsc_value_is_array(args.get()); ++i)
    {
        const platform::GObjectPtr<JSCValue> arg(jsc_value_object_get_property_at_index(args.get(), i));
        state.args.push_back(platform::FromUtf8(StringOf(arg.get())));
    }
    binding->function(&state);
}
catch (...)
{
}
} // namespace

wkeWebViewImpl::wkeWebViewImpl() : token(NewToken())
{
    content.reset(webkit_user_content_manager_new());
    web = GTK_WIDGET(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", WkeEngine::Instance().Context(),
                                  "user-content-manager", content.get(), nullptr));
    webkit_user_content_manager_register_script_message_handler(content.get(), "wke");
    window = gtk_offscreen_window_new();
    gtk_container_add(GTK_CONTAINER(window), web);
    ConnectSignals();
    Resize(1, 1);
    gtk_widget_show_all(window);
    GdkWindow* offscreen = gtk_widget_get_window(window);
    gdk_offscreen_window_set_embedder(offscreen, gdk_get_default_root_window());
    g_signal_connect(offscreen, "to-embedder", G_CALLBACK(ToScreen), this);
    g_signal_connect(offscreen, "from-embedder", G_CALLBACK(FromScreen), this);
}

wkeWebViewImpl::~wkeWebViewImpl()
{
    g_signal_handlers_disconnect_by_data(content.get(), this);
    g_signal_handlers_disconnect_by_data(web, this);
    g_signal_handlers_disconnect_by_data(window, this);
    g_signal_handlers_disconnect_by_data(gtk_widget_get_window(window), this);
    ReleaseImage();
    // The content manager goes after the view that uses it (members go after this body).
    gtk_widget_destroy(window);
}

void wkeWebViewImpl::ConnectSignals()
{
    g_signal_connect(content.get(), "script-message-received::wke", G_CALLBACK(OnScriptMessage), this);
    g_signal_connect(web, "load-changed", G_CALLBACK(OnLoadChanged), this);
    g_signal_connect(web, "load-failed", G_CALLBACK(OnLoadFailed), this);
    g_signal_connect(web, "notify::title", G_CALLBACK(OnTitle), this);
    g_signal_connect(web, "notify::uri", G_CALLBACK(OnUri), this);
    g_signal_connect(web, "decide-policy", G_CALLBACK(OnDecidePolicy), this);
    g_signal_connect(web, "mouse-target-changed", G_CALLBACK(OnMouseTarget), this);
    g_signal_connect(web, "script-dialog", G_CALLBACK(Swallow), this);
    g_signal_connect(web, "show-option-menu", G_CALLBACK(SwallowOptionMenu), this);
    g_signal_connect(web, "query-tooltip", G_CALLBACK(NoTooltip), this);
    g_signal_connect(window, "damage-event", G_CALLBACK(OnDamage), this);
}

void wkeWebViewImpl::InstallScript()
{
    // Bindings made after the view was created count from its next page on.
    webkit_user_content_manager_remove_all_scripts(content.get());
    const UserScriptPtr script(webkit_user_script_new(
        WkeEngine::Instance().BindingScript(token).c_str(), WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
        WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START, nullptr, nullptr));
    webkit_user_content_manager_add_script(content.get(), script.get());
}

void wkeWebViewImpl::LoadUrl(const std::string& address)
{
    url = address;
    InstallScript();
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(web), address.c_str());
}

void wkeWebViewImpl::Reload()
{
    // After a failed load the page to reload is the one that failed, not the one WebKit still
    // shows: that may be an older address the host has since given up.
    if (!failedUrl.empty())
    {
        LoadUrl(failedUrl);
        return;
    }
    const char* uri = webkit_web_view_get_uri(WEBKIT_WEB_VIEW(web));
    // A page that never loaded has nothing to reload: its address is asked for again.
    if (uri == nullptr || std::string(uri).empty() || std::string(uri) == "about:blank")
        LoadUrl(url);
    else
    {
        InstallScript();
        webkit_web_view_reload(WEBKIT_WEB_VIEW(web));
    }
}

void wkeWebViewImpl::Resize(int newWidth, int newHeight)
{
    width = newWidth > 0 ? newWidth : 1;
    height = newHeight > 0 ? newHeight : 1;
    gtk_widget_set_size_request(web, width, height);
    gtk_window_set_default_size(GTK_WINDOW(window), width, height);
    gtk_window_resize(GTK_WINDOW(window), width, height);
    dirty = true;
}

void wkeWebViewImpl::ReleaseImage()
{
    if (imageDC != nullptr)
        platform::DeleteCairoDC(imageDC);
    imageDC = nullptr;
    imageCairo.reset();
    image.reset();
}

HDC wkeWebViewImpl::ViewDC()
{
    cairo_surface_t* source = gtk_offscreen_window_get_surface(GTK_OFFSCREEN_WINDOW(window));
    if (source == nullptr)
        return imageDC;
    if (!dirty && imageDC != nullptr)
        return imageDC;
    GtkAllocation allocation{};
    gtk_widget_get_allocation(window, &allocation);
    if (image == nullptr || cairo_image_surface_get_width(image.get()) != allocation.width ||
        cairo_image_surface_get_height(image.get()) != allocation.height)
    {
        ReleaseImage();
        image.reset(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, std::max(allocation.width, 1),
                                               std::max(allocation.height, 1)));
        imageCairo.reset(cairo_create(image.get()));
        imageDC = platform::CreateCairoDC(imageCairo.get());
    }
    cairo_t* cr = imageCairo.get();
    cairo_save(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr, source, 0, 0);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_flush(image.get());
    dirty = false;
    return imageDC;
}

void wkeWebViewImpl::Locate(int x, int y)
{
    // Where the pointer is on the screen, less where it is in the view: the view's origin.
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default()));
    gint rootX = 0;
    gint rootY = 0;
    gdk_device_get_position(pointer, nullptr, &rootX, &rootY);
    screenX = rootX - x;
    screenY = rootY - y;
}

bool wkeWebViewImpl::SendEvent(wkeimpl::GdkEventPtr event)
{
    return event != nullptr && gtk_widget_event(web, event.get()) != FALSE;
}

bool wkeWebViewImpl::Key(unsigned virtualKey, unsigned flags, bool press)
{
    const unsigned state = wkeimpl::KeyState(flags);
    if (!press)
    {
        const auto down = keysDown.find(virtualKey);
        if (down == keysDown.end())
            return false;
        const unsigned keyval = down->second;
        keysDown.erase(down);
        return SendEvent(wkeimpl::KeyvalEvent(web, keyval, state, false));
    }
    const unsigned keyval = wkeimpl::KeyvalOfKey(virtualKey, flags);
    if (keyval == 0)
        return false;
    keysDown[virtualKey] = keyval;
    charOfLastKey = gdk_keyval_to_lower(keyval);
    const bool used = SendEvent(wkeimpl::KeyvalEvent(web, keyval, state, true));
    // The engine's key bindings know no undo for a view: Ctrl+Z and Ctrl+Shift+Z (or Ctrl+Y)
    // are its editing commands.
    if ((state & GDK_CONTROL_MASK) != 0 && (state & GDK_MOD1_MASK) == 0)
    {
        const unsigned lower = gdk_keyval_to_lower(keyval);
        if (lower == GDK_KEY_z && (state & GDK_SHIFT_MASK) == 0)
            webkit_web_view_execute_editing_command(WEBKIT_WEB_VIEW(web), WEBKIT_EDITING_COMMAND_UNDO);
        else if (lower == GDK_KEY_z || lower == GDK_KEY_y)
            webkit_web_view_execute_editing_command(WEBKIT_WEB_VIEW(web), WEBKIT_EDITING_COMMAND_REDO);
    }
    return used;
}

bool wkeWebViewImpl::Char(unsigned charCode, unsigned flags)
{
    const unsigned control = wkeimpl::KeyvalOfControlChar(charCode);
    if (control == 0)
    {
        charOfLastKey = 0;
        const bool used = SendEvent(wkeimpl::CharEvent(web, charCode, flags, true));
        SendEvent(wkeimpl::CharEvent(web, charCode, flags, false));
        return used;
    }
    // Brought by the key down before it: that was the key event.
    const bool brought = control == charOfLastKey;
    charOfLastKey = 0;
    if (brought)
        return true;
    unsigned state = wkeimpl::KeyState(flags);
    if (charCode >= 0x01 && charCode <= 0x1A)
        state |= GDK_CONTROL_MASK;
    const bool used = SendEvent(wkeimpl::KeyvalEvent(web, control, state, true));
    SendEvent(wkeimpl::KeyvalEvent(web, control, state, false));
    return used;
}

void wkeWebViewImpl::Focus(bool in)
{
    // To the view only: a focus change sent to the offscreen toplevel is an X error.
    if (in)
        gtk_widget_grab_focus(web);
    gtk_widget_send_focus_change(web, wkeimpl::FocusEvent(web, in).get());
}

void wkeWebViewImpl::RunScript(const std::string& script)
{
    webkit_web_view_evaluate_javascript(WEBKIT_WEB_VIEW(web), script.c_str(), -1, nullptr, nullptr, nullptr,
                                        nullptr, nullptr);
}
