// Only in the test variant of the installer library (see FaultPoint.h).
#include "journal/FaultPoint.h"

#include <windows.h>

#include <cstdlib>

namespace zr {

namespace {

unsigned long EnvironmentNumber(const char* name, int base = 10) {
    char text[32] = {};
    const DWORD length = ::GetEnvironmentVariableA(name, text, sizeof text);
    return length > 0 && length < sizeof text ? std::strtoul(text, nullptr, base) : 0;
}

}  // namespace

void FaultPoint() {
    static const unsigned long step = EnvironmentNumber("ZR_FAULT_STEP");
    static const unsigned long delay = EnvironmentNumber("ZR_FAULT_DELAY_MS");
    static unsigned long count = 0;
    if (delay != 0)
        ::Sleep(delay);
    if (++count == step)
        ::TerminateProcess(::GetCurrentProcess(), FAULT_EXIT_CODE);
}

unsigned FirstReservedName(unsigned chosen) {
    const unsigned long first = EnvironmentNumber("ZR_FIRST_RESERVED_NAME", 16);
    return first != 0 ? static_cast<unsigned>(first) : chosen;
}

}  // namespace zr
