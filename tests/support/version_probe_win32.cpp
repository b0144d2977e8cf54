// Reports in its exit code the platform version this process is given and whether the driver
// guard applies to it: major * 1000 + minor * 10, plus 1 when the guard applies. Under Wine a
// test gives it a version of its own choosing (AppDefaults), without changing the whole prefix.
// Its manifest declares it written for Windows 10, so that the platform does not tell it 6.2 in
// place of any later version: the guard's comparison then meets versions such as 10.0, whose
// minor part is below 2.
#include <windows.h>

#include "host/driver_guard.h"
#include "platform/win32/host_services_win32.h"

int main() {
    using GetVersion = LONG(WINAPI*)(OSVERSIONINFOW*);
    const auto rtlGetVersion = reinterpret_cast<GetVersion>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    if (rtlGetVersion == nullptr || rtlGetVersion(&version) != 0) {
        return 1;
    }
    zeltor::Win32HostServices host;
    return static_cast<int>(version.dwMajorVersion * 1000 + version.dwMinorVersion * 10) +
           (zeltor::driverGuardApplies(host) ? 1 : 0);
}
