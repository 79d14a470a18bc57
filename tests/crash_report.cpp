// What a GL test that dies of a signal prints: the test and event it was on,
// the renderer, the CPU and a backtrace.
#include "tests/crash_report.h"

#include <execinfo.h>
#include <unistd.h>

#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fstream>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizerReports = true;
#else
constexpr bool kSanitizerReports = false;
#endif

char platform[512] = "";
char context[512] = "";

void writeText(const char* text) {
  for (std::size_t left = std::strlen(text); left > 0;) {
    const ssize_t n = write(STDERR_FILENO, text, left);
    if (n <= 0) return;
    text += n;
    left -= static_cast<std::size_t>(n);
  }
}

void onFatalSignal(int signal) {
  writeText("\n*** fatal signal ");
  writeText(strsignal(signal));
  writeText("\n*** while: ");
  writeText(context);
  writeText("\n*** on: ");
  writeText(platform);
  writeText("\n*** backtrace:\n");
  void* frames[64];
  backtrace_symbols_fd(frames, backtrace(frames, 64), STDERR_FILENO);
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

// The CPU's model and whether it has AVX-512, which changes the code Mesa's JIT emits.
std::string describeCpu() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line, model = "unknown CPU", flags;
  while (std::getline(cpuinfo, line) && (model == "unknown CPU" || flags.empty())) {
    if (line.rfind("model name", 0) == 0) model = line.substr(line.find(':') + 2);
    if (line.rfind("flags", 0) == 0) flags = line;
  }
  return model + (flags.find(" avx512f") != std::string::npos ? " (AVX-512)" : " (no AVX-512)") + ", " +
         std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " CPUs online";
}

}  // namespace

void installCrashReport(const std::string& renderer) {
  std::snprintf(platform, sizeof platform, "%s; %s", renderer.c_str(), describeCpu().c_str());
  if (kSanitizerReports) return;
  void* warmUp[1];
  backtrace(warmUp, 1);  // loads the unwinder now, not inside the handler
  for (const int signal : {SIGABRT, SIGSEGV, SIGBUS, SIGILL, SIGFPE}) std::signal(signal, onFatalSignal);
}

void setCrashContext(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  std::vsnprintf(context, sizeof context, format, arguments);
  va_end(arguments);
}
