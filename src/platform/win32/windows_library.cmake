# The Windows packaging of the library (included by src/CMakeLists.txt).
#
# qclr.dll exports exactly the functions of qclr.def. In the 32-bit DLL they keep
# the callee-pops calling convention of the header but carry undecorated names
# (Q_ClrInit, not Q_ClrInit@16), as applications look them up by name; the import
# library made by dlltool -k maps the decorated names that callers compiled with
# the header refer to onto those. The 64-bit names are never decorated.
#
# Programs that link qclr_static get two more objects: the compiled resources (an
# archive member without symbols would never be linked) and the entry that does
# for such a program what the loader does for the DLL through DllMain.
set(def_source ${CMAKE_CURRENT_SOURCE_DIR}/platform/win32/qclr.def)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def_source})
file(READ ${def_source} def)
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  string(REGEX REPLACE "@[0-9]+" "" def "${def}")
endif()
set(def_file ${CMAKE_CURRENT_BINARY_DIR}/qclr.def)
file(CONFIGURE OUTPUT ${def_file} CONTENT "${def}" @ONLY)

target_sources(qclr PRIVATE ${def_file})
set_target_properties(qclr PROPERTIES PREFIX "")
target_link_libraries(qclr PRIVATE comctl32 comdlg32)
target_link_libraries(qclr_static PUBLIC comctl32 comdlg32)
target_compile_definitions(qclr_static INTERFACE QCLR_STATIC)

if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  find_program(QCLR_DLLTOOL_PROGRAM NAMES ${QCLR_DLLTOOL} ${CMAKE_DLLTOOL} dlltool REQUIRED)
  target_link_options(qclr PRIVATE -Wl,--kill-at)
  add_custom_command(TARGET qclr POST_BUILD
    COMMAND ${QCLR_DLLTOOL_PROGRAM} -k -d ${def_file} -D $<TARGET_FILE_NAME:qclr>
            -l $<TARGET_LINKER_FILE:qclr>
    COMMENT "Import library with the decorated names of the undecorated exports"
    VERBATIM)
endif()

add_library(qclr_static_entry OBJECT ${CMAKE_CURRENT_SOURCE_DIR}/platform/win32/static_library_entry.cpp)
target_include_directories(qclr_static_entry PRIVATE ${PROJECT_SOURCE_DIR}/include ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(qclr_static_entry PRIVATE qclr_warnings)
target_sources(qclr_static INTERFACE $<TARGET_OBJECTS:qclr_static_entry>)
