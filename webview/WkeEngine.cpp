#include "webview/WkeEngine.h"

namespace wkeimpl
{
namespace
{
void RefuseDownload(WebKitWebContext*, WebKitDownload* download, gpointer) noexcept
{
    // Pages of the panel never save files.
    webkit_download_cancel(download);
}

// A name fit to stand in the script as it is.
bool IsScriptName(const std::string& name)
{
    if (name.empty() || g_ascii_isdigit(name[0]))
        return false;
    for (const char ch : name)
    {
        if (!g_ascii_isalnum(ch) && ch != '_' && ch != '$')
            return false;
    }
    return true;
}
} // namespace

WkeEngine& WkeEngine::Instance()
{
    // Never destroyed: the context goes only with wkeShutdown, never behind WebKit's back at exit.
    static WkeEngine* const engine = new WkeEngine;
    return *engine;
}

void WkeEngine::Initialize()
{
    if (m_context != nullptr)
        return;
    m_context.reset(webkit_web_context_new_ephemeral());
    webkit_web_context_set_cache_model(m_context.get(), WEBKIT_CACHE_MODEL_DOCUMENT_VIEWER);
    g_signal_connect(m_context.get(), "download-started", G_CALLBACK(RefuseDownload), nullptr);
}

void WkeEngine::Shutdown()
{
    m_context.reset();
    m_bindings.clear();
}

void WkeEngine::Bind(const char* name, jsNativeFunction function, unsigned argCount)
{
    if (name == nullptr || function == nullptr || !IsScriptName(name))
        return;
    for (Binding& binding : m_bindings)
    {
        if (binding.name == name)
        {
            binding = Binding{name, function, argCount};
            return;
        }
    }
    m_bindings.push_back(Binding{name, function, argCount});
}

const Binding* WkeEngine::Find(const std::string& name) const
{
    for (const Binding& binding : m_bindings)
    {
        if (binding.name == name)
            return &binding;
    }
    return nullptr;
}

std::string WkeEngine::BindingScript(const std::string& token) const
{
    // The handler is taken now, before any script of the page runs, so a page cannot swap it.
    std::string script = "(function(){var h=window.webkit&&window.webkit.messageHandlers&&"
                         "window.webkit.messageHandlers.wke;if(!h)return;var p=h.postMessage.bind(h);"
                         "function mk(n){return function(){var a=[];for(var i=0;i<arguments.length;++i)"
                         "a.push(String(arguments[i]));p({t:'" +
                         token + "',n:n,a:a});};}";
    for (const Binding& binding : m_bindings)
        script += "Object.defineProperty(window,'" + binding.name + "',{value:mk('" + binding.name +
                  "'),writable:false,configurable:false});";
    // The cursor the page's style asks for under the pointer (hit testing alone knows only
    // links and text), told when it changes.
    script += "var lc='';window.addEventListener('mousemove',function(e){var c='auto';try{var el=e.target;"
              "if(el&&el.nodeType!==1)el=el.parentElement;if(el)c=getComputedStyle(el).cursor;}catch(x){}"
              "if(c!==lc){lc=c;p({t:'" +
              token + "',c:c});}},true);";
    return script + "})();";
}
} // namespace wkeimpl
