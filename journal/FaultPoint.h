// Steps at which a test build can end the installation abruptly, to check what the next start makes
// of an interrupted run, and where its reserved names begin. In the shipped executable FaultPoint() is empty and
// compiled away: only the test variant of the library (built with ZR_FAULT_STEPS) has the switch.
#pragma once

namespace zr {

// Exit code of a process ended by the switch.
inline constexpr unsigned FAULT_EXIT_CODE = 0xFA17;

#ifdef ZR_FAULT_STEPS
// Counts one step. With the environment variable ZR_FAULT_STEP=k the process ends at the k-th step
// through TerminateProcess on itself (no destructor, no flush, no rollback); with ZR_FAULT_DELAY_MS=n
// every step first sleeps n milliseconds, so that another process can meet a run half done.
void FaultPoint();
// The number a run's reserved names start from: `chosen`, or with the environment variable
// ZR_FIRST_RESERVED_NAME=X (hexadecimal) X, so that a test can put another's file where a name falls.
unsigned FirstReservedName(unsigned chosen);
#else
inline void FaultPoint() {}
inline unsigned FirstReservedName(unsigned chosen) {
    return chosen;
}
#endif

}  // namespace zr
