#pragma once
// Services of the areas above the display backend that need a GTK implementation of their own
// (the shell's file dialogs and drop destinations) install it through here, so that the
// display area never links them: each adds its installer once, before main, and the installers
// run once, with the backend, when InitDisplayBackend opens the display. An installer added
// after that runs at once. Without a display none runs, and the services keep their headless
// implementation.

namespace platform
{
class GtkBackend;

using DisplayServiceInstaller = void (*)(GtkBackend& display);

void AddDisplayService(DisplayServiceInstaller install);
// Runs every installer, now and for those added later; once, from InitDisplayBackend.
void StartDisplayServices(GtkBackend& display);
} // namespace platform
