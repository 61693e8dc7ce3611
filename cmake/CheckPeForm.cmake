# Checks the product executable's PE form: GUI subsystem, the right machine, and imports from
# Windows' own DLLs only (no libgcc, libstdc++, winpthread, version.dll or comctl32.dll), ASLR and DEP
# on, and no debug sections in the shipped file.
#   cmake -DEXE=... -DOBJDUMP=... -DPROCESSOR=i686|x86_64 -P CheckPeForm.cmake

cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND file -b ${EXE} OUTPUT_VARIABLE form OUTPUT_STRIP_TRAILING_WHITESPACE)
if(PROCESSOR STREQUAL "i686")
    set(expected "PE32 executable (GUI) Intel 80386")
else()
    set(expected "PE32+ executable (GUI) x86-64")
endif()
string(FIND "${form}" "${expected}" at)
if(at EQUAL -1)
    message(FATAL_ERROR "${EXE}: expected '${expected}', file says '${form}'")
endif()

execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump)
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
set(allowed kernel32.dll user32.dll gdi32.dll advapi32.dll msvcrt.dll)
foreach(line IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST allowed)
        message(FATAL_ERROR "${EXE} imports ${dll}, which is not one of Windows' own DLLs allowed here")
    endif()
endforeach()
foreach(flag DYNAMIC_BASE NX_COMPAT)
    if(NOT dump MATCHES "DllCharacteristics[^\n]*\n([ \t]+[A-Z_]+\n)*[ \t]+${flag}\n")
        message(FATAL_ERROR "${EXE}: DllCharacteristics lack ${flag}")
    endif()
endforeach()

execute_process(COMMAND ${OBJDUMP} -h ${EXE} OUTPUT_VARIABLE sections)
if(sections MATCHES "[ \t](\\.debug[_a-z]*)[ \t]")
    message(FATAL_ERROR "${EXE} carries the debug section ${CMAKE_MATCH_1}")
endif()
message(STATUS "${form}; imports: ${imports}")
