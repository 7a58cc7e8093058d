// GoogleTest's hook for platform overrides, found before its own empty one.
//
// The Windows build uses the cross compiler's win32 thread model: it links no
// threads runtime, whose imports would keep the DLL from loading on Windows
// XP.  That model has no std::mutex or std::condition_variable, which
// GoogleTest's one portable primitive needs; everything else it does on
// Windows already uses Win32 objects.  So the primitive is given here, on an
// event.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(::CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { ::CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() { ::SetEvent(event_); }
    void WaitForNotification() { ::WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing
