# Fails when an object compiled for a wider instruction set (*_sse2, *_avx2,
# *_avx512) defines weak code: an inline function or template instance emitted
# there may be the copy the linker keeps for every caller, and would then run AVX
# instructions on processors without them. Such objects must hold only their own
# row functions (everything shared is inlined or called out of line from portable
# objects). Shared constant data (inline variables, "V" or "u") is the same bytes
# whichever object the linker keeps, so it is allowed.
file(GLOB_RECURSE objects ${OBJECT_DIR}/*_sse2.cpp.o ${OBJECT_DIR}/*_avx2.cpp.o ${OBJECT_DIR}/*_avx512.cpp.o
                          ${OBJECT_DIR}/*_sse2.cpp.obj ${OBJECT_DIR}/*_avx2.cpp.obj ${OBJECT_DIR}/*_avx512.cpp.obj)
if(NOT objects)
  message(FATAL_ERROR "no instruction-set objects under ${OBJECT_DIR}")
endif()
foreach(object IN LISTS objects)
  execute_process(COMMAND ${NM} -C --defined-only ${object} OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${NM} failed on ${object}")
  endif()
  string(REGEX MATCHALL "[^\n]* W [^\n]*" shared "${symbols}")
  if(shared)
    string(REPLACE ";" "\n  " shared "${shared}")
    message(SEND_ERROR "${object} defines code the linker may share with other callers:\n  ${shared}")
  endif()
endforeach()
