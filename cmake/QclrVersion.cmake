# The version is written once, in include/qclr/qclr.h (QCLR_VERSION_MAJOR, _MINOR,
# _PATCH); the project takes it from there. Sets QCLR_HEADER_VERSION.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../include/qclr/qclr.h qclr_version_lines
     REGEX "^#define QCLR_VERSION_(MAJOR|MINOR|PATCH) +[0-9]+$")
set(QCLR_HEADER_VERSION)
foreach(part MAJOR MINOR PATCH)
  set(value)
  foreach(line IN LISTS qclr_version_lines)
    if(line MATCHES "^#define QCLR_VERSION_${part} +([0-9]+)$")
      set(value ${CMAKE_MATCH_1})
    endif()
  endforeach()
  if(value STREQUAL "")
    message(FATAL_ERROR "include/qclr/qclr.h: no QCLR_VERSION_${part}")
  endif()
  list(APPEND QCLR_HEADER_VERSION ${value})
endforeach()
list(JOIN QCLR_HEADER_VERSION "." QCLR_HEADER_VERSION)
