#include "platform/MessageBox.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

namespace {
bool boxesEnabled = true;
std::string hint;
std::function<void()> beforeBox;
}

void setBeforeFatalBox(std::function<void()> wait) { beforeBox = std::move(wait); }

void setMessageBoxesEnabled(bool enabled) { boxesEnabled = enabled; }
void setFatalHint(const std::string& line) { hint = line; }

void reportFatal(const std::string& text, const char* caption, const std::string& reason) {
    std::fprintf(stderr, "%s: %s\n", caption, text.c_str());
    if (!reason.empty()) std::fprintf(stderr, "softshow: %s\n", reason.c_str());
    if (!hint.empty()) std::fprintf(stderr, "softshow: %s\n", hint.c_str());
    std::fflush(stderr);
    if (boxesEnabled) {
        if (beforeBox) std::exchange(beforeBox, nullptr)();
        showNativeMessageBox(text.c_str(), caption);
    }
    std::exit(0);
}
