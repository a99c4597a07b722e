# Fails when libqclr exports a symbol other than the Q_Clr... functions, or lacks
# one of the exports listed here.
set(required Q_ClrInit Q_ClrSetConversionParams Q_ClrIsValid Q_ClrFree Q_ClrConvertDirect
    Q_ClrConvert Q_ClrConvertToBitmap Q_ClrConvertDirectToBitmap Q_ClrFreeBitmap Q_ClrDlg
    Q_ClrStatusText)
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY} OUTPUT_VARIABLE symbols
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REPLACE "\n" ";" lines "${symbols}")
set(found 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^[0-9a-fA-F]+ ([A-Za-z]) (.+)$")
    set(kind "${CMAKE_MATCH_1}")
    set(name "${CMAKE_MATCH_2}")
    if(kind MATCHES "[TDBRW]" AND NOT name MATCHES "^Q_Clr[A-Za-z]+$"
       AND NOT name MATCHES "^(_init|_fini|_edata|_end|__bss_start)$")
      message(SEND_ERROR "unexpected export: ${name}")
    endif()
    if(name MATCHES "^Q_Clr")
      math(EXPR found "${found} + 1")
      list(REMOVE_ITEM required "${name}")
    endif()
  endif()
endforeach()
if(required)
  message(SEND_ERROR "missing exports: ${required}")
endif()
if(found EQUAL 0)
  message(FATAL_ERROR "no Q_Clr exports found in ${LIBRARY}")
endif()
