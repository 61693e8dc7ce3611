# cmake -DEXE=<shipped exe> -DFAULTY=<test child with the switch> -P CheckNoFaultSwitch.cmake
# The fault switch's variable name must be in the test child (so the check can see it at all) and
# nowhere in the shipped executable.
file(STRINGS "${FAULTY}" in_child REGEX "ZR_FAULT_STEP")
if(NOT in_child)
    message(FATAL_ERROR "the check cannot see the switch: ZR_FAULT_STEP not found in ${FAULTY}")
endif()
file(STRINGS "${EXE}" in_shipped REGEX "ZR_FAULT_STEP")
if(in_shipped)
    message(FATAL_ERROR "the shipped ${EXE} carries the fault switch")
endif()
