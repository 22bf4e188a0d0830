// Window and sound backends of a build without SDL: there is no window to open and no device to play on.
#include "platform/DisplayBackend.h"
#include "platform/MessageBox.h"

std::unique_ptr<DisplayBackend> createWindowBackend(const char*, int, int, const WindowLayout&, std::string& reason) {
    reason = "this build has no window backend (configured with SOFTSHOW_WITH_SDL=OFF); use --headless";
    return nullptr;
}

bool showNativeMessageBox(const char*, const char*) { return false; }

#include "platform/Versions.h"

std::string windowBackendVersion() { return "no window backend"; }

#include "platform/AudioOutput.h"

std::unique_ptr<AudioOutput> openAudioOutput(int, int, AudioFeed&, std::string& reason) {
    reason = "this build has no sound backend (configured with SOFTSHOW_WITH_SDL=OFF)";
    return nullptr;
}
