#include "trace/trace_log.h"

#include <cstdarg>
#include <cstdio>
#include <string>

#include "platform/platform.h"
#include "text/codepage.h"
#include "text/mbstring.h"

namespace mfg {

namespace {
constexpr std::size_t kMessageBufferSize = 1024;
bool g_traceOff = false;
}  // namespace

void switchTraceOff(bool off) { g_traceOff = off; }

int TraceLog(const char* format, ...) {
    if (g_traceOff || !platform::pathExists(kDebugFlagFile) || format == nullptr) return 0;

    // A message longer than the buffer is cut to 1023 bytes, and never in the
    // middle of a double-byte character.
    char buffer[kMessageBufferSize];
    va_list args;
    va_start(args, format);
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#endif
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    va_end(args);
    buffer[sizeof buffer - 1] = '\0';
    if (written < 0) buffer[0] = '\0';
    std::string message(buffer);
    if (written >= static_cast<int>(sizeof buffer))
        message = text::cutToWidth(message, sizeof buffer - 1, text::CodePage::active());

    platform::debugOutput(message.c_str());

    // The message is data, never a format: a '%' in a path is written as is.
    std::string line = kTraceTag;
    line += message;
    line += '\n';
    return platform::appendText(kTraceLogFile, line) ? 1 : 0;
}

}  // namespace mfg
