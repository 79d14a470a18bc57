// A crash inside the GL driver leaves little behind on a CI log. This prints,
// on a fatal signal, what the test was doing, the renderer and CPU it ran on
// and a backtrace, then lets the signal take its course.
#pragma once

#include <string>

// Records the renderer and CPU and installs the handler (not under AddressSanitizer,
// which reports crashes itself).
void installCrashReport(const std::string& renderer);

// What the test is doing now; printed with the report. Cheap enough to call per event.
void setCrashContext(const char* format, ...) __attribute__((format(printf, 1, 2)));
