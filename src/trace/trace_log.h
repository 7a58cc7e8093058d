// The library's diagnostic trace.  It writes only while the debug flag file
// exists; every message then goes to the debugger output and, as one tagged
// line, to the trace log file.  Nothing about it is ever reported to the host.
#pragma once

namespace mfg {

// Where the trace looks and writes.  Fixed: no option, key or environment
// value changes them, so a factory engineer always knows where to look.
inline constexpr const char kDebugFlagFile[] = "C:\\vrelDebug.flg";
inline constexpr const char kTraceLogFile[] = "D:\\ombrix_drvinst.log";
inline constexpr const char kTraceTag[] = "ORVANTIS == : ";

// printf-style.  Returns 1 when the line reached the trace log file, 0 when
// the flag file is absent, the format is null or the file cannot be opened.
// The flag file is looked up on every call, so creating or deleting it while
// the host runs takes effect at the next message.
int TraceLog(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// Switches the trace off (no flag check, no line) until switched on again.
// The command-line tool's second run through this code only gathers each
// section's fate, never with the flag raised: switched off, it spares a look
// for the flag file before each of its thousands of messages.  Nothing in the
// library as the host loads it switches the trace off.
void switchTraceOff(bool off);

}  // namespace mfg
