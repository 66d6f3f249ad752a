#pragma once
// The engine's process-wide part: one ephemeral web context (no cookies, cache or storage of
// the user's), the script functions bound for every view, and the views' shared settings.

#include "webview/wke.h"

#include "platform/Owned.h"

#include <webkit2/webkit2.h>

#include <string>
#include <vector>

namespace wkeimpl
{
struct Binding
{
    std::string name;
    jsNativeFunction function;
    unsigned argCount;
};

class WkeEngine
{
public:
    static WkeEngine& Instance();

    void Initialize();
    void Shutdown();
    WebKitWebContext* Context() const { return m_context.get(); }

    void Bind(const char* name, jsNativeFunction function, unsigned argCount);
    const Binding* Find(const std::string& name) const;
    // The script that defines the bound functions in a page; calls carry the view's token.
    std::string BindingScript(const std::string& token) const;

private:
    platform::GObjectPtr<WebKitWebContext> m_context;
    std::vector<Binding> m_bindings;
};
} // namespace wkeimpl
