// Reports that end the program. The text goes to stderr (caption and text), then a line of ours with the
// underlying reason; a message box shows the text too when boxes are enabled and a display exists.
#pragma once

#include <functional>
#include <string>

// Boxes are on by default; headless runs and tests turn them off so nothing waits for a click.
void setMessageBoxesEnabled(bool enabled);

// A line printed after every fatal report's own lines from now on ("" for none): advice that depends on
// how the program was started, such as a folder without the show's files.
void setFatalHint(const std::string& line);

// Called once before a fatal report shows its box: waits for background work of the caller's to end. The
// X11 box is drawn by a forked child, which must not inherit a thread holding the allocator's locks.
void setBeforeFatalBox(std::function<void()> wait);

// Prints, shows the box when possible, waits for it to be closed, then ends the process with status 0.
[[noreturn]] void reportFatal(const std::string& text, const char* caption, const std::string& reason);

// Implemented by the window backend: a modal box with one OK button; false when none can be shown.
bool showNativeMessageBox(const char* text, const char* caption);
