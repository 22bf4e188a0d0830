// Window backend of a build without SDL: there is no window to open.
#include "platform/DisplayBackend.h"
#include "platform/MessageBox.h"

std::unique_ptr<DisplayBackend> createWindowBackend(const char*, int, int, bool, std::string& reason) {
    reason = "this build has no window backend (configured with SOFTSHOW_WITH_SDL=OFF); use --headless";
    return nullptr;
}

bool showNativeMessageBox(const char*, const char*) { return false; }
