cmake_policy(SET CMP0057 NEW)
# The layering check must catch what it is there to catch: runs check_layers.cmake
# over a small tree with one fault of each kind (written into WORK_DIR) and fails
# unless the check fails and names every fault.
set(tree "${WORK_DIR}/layering_faults")
file(REMOVE_RECURSE "${tree}")
file(WRITE "${tree}/base/upward.h" "#pragma once\n#include \"api/top.h\"\n")
file(WRITE "${tree}/api/top.h" "#pragma once\n#include \"base/upward.h\"\n#include \"icc/color_transform.h\"\n")
file(WRITE "${tree}/icc/color_transform.h" "#pragma once\n")
file(WRITE "${tree}/direct/kernel.cpp" "#include <unistd.h>\n#include \"platform/posix/thing.h\"\n")
file(WRITE "${tree}/gadgets/new.cpp" "#include \"base/upward.h\"\n")
file(WRITE "${tree}/platform/posix/service.h" "#pragma once\n")
file(WRITE "${tree}/platform/win32/service.cpp" "#include \"platform/posix/service.h\"\n")
file(WRITE "${tree}/numeric/lost.cpp" "#include \"base/gone.h\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -DSOURCE_DIR=${tree} -P ${CHECKER}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(status EQUAL 0)
  message(FATAL_ERROR "the layering check passed a faulty tree:\n${out}")
endif()
string(REGEX REPLACE "[ \t\r\n]+" " " out "${out}")  # CMake wraps long messages
set(expected
    "base/upward.h:2: base may not include \"api/top.h\""
    "api/top.h:3: \"icc/color_transform.h\" is inside icc"
    "direct/kernel.cpp:1: <unistd.h>"
    "direct/kernel.cpp:2: \"platform/posix/thing.h\""
    "gadgets/new.cpp: folder gadgets"
    "platform/win32/service.cpp:1: \"platform/posix/service.h\" belongs to the posix platform layer"
    "numeric/lost.cpp:1: \"base/gone.h\" is no file of the library"
    "cycle: api -> base, base -> api"
    "base uses: nothing of the library")
foreach(message IN LISTS expected)
  string(FIND "${out}" "${message}" at)
  if(at EQUAL -1)
    message(SEND_ERROR "not reported: ${message}")
  endif()
endforeach()
