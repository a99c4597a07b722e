# What `cmake --install` puts under the prefix:
#   include/qclr/qclr.h                  the header
#   lib/libqclr.so.0 (soname), libqclr.a the shared and the static library
#   lib/pkgconfig/qclr.pc                for pkg-config
#   lib/cmake/qclr/                      find_package(qclr): qclr::qclr, qclr::qclr_static
#   bin/qclr                             the tool, finding the library through $ORIGIN
#   share/man/man1/qclr.1, share/doc/qclr/   its manual page and the documentation
# The Python module goes where python/CMakeLists.txt says. Every path written into
# an installed file is relative to that file, so `cmake --install --prefix` may
# choose any prefix and the installed tree may be moved.
include(CMakePackageConfigHelpers)

set(QCLR_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/qclr)

install(TARGETS qclr qclr_static EXPORT qclrTargets
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/include/qclr/qclr.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/qclr)

install(EXPORT qclrTargets NAMESPACE qclr:: DESTINATION ${QCLR_CMAKE_DIR})
configure_package_config_file(${CMAKE_CURRENT_LIST_DIR}/qclrConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/qclrConfig.cmake
                              INSTALL_DESTINATION ${QCLR_CMAKE_DIR})
# The soname changes with the major version, and so does compatibility.
write_basic_package_version_file(${PROJECT_BINARY_DIR}/qclrConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/qclrConfig.cmake ${PROJECT_BINARY_DIR}/qclrConfigVersion.cmake
        DESTINATION ${QCLR_CMAKE_DIR})

# pkg-config: the prefix is found from the .pc file's own folder.
file(RELATIVE_PATH QCLR_PC_TO_PREFIX ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" QCLR_PC_TO_PREFIX "${QCLR_PC_TO_PREFIX}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/qclr.pc.in ${PROJECT_BINARY_DIR}/qclr.pc @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/qclr.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

if(TARGET qclr_tool)
  file(RELATIVE_PATH tool_to_lib ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBDIR})
  set_target_properties(qclr_tool PROPERTIES INSTALL_RPATH "$ORIGIN/${tool_to_lib}")
  install(TARGETS qclr_tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

# Documentation, the examples and the manual page, as far as they exist.
file(GLOB QCLR_MAN_PAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.1)
file(GLOB QCLR_DOCS CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.md)
install(FILES ${QCLR_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${QCLR_DOCS} DESTINATION ${CMAKE_INSTALL_DOCDIR})
if(EXISTS ${PROJECT_SOURCE_DIR}/docs/examples)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/examples DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()
