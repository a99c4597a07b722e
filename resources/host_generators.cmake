# Cross builds for Windows: the generators are built for the build machine by a
# nested native build of this source tree (only the three generator targets) and
# run from there. The nested build runs at every build, so a changed generator is
# rebuilt and the files it makes are made again.
include(ExternalProject)
set(host_dir ${CMAKE_CURRENT_BINARY_DIR}/host-generators)
set(host_generators qclr_make_profile qclr_make_emulation_tables qclr_make_dialog_templates)
list(TRANSFORM host_generators PREPEND ${host_dir}/resources/ OUTPUT_VARIABLE host_programs)
ExternalProject_Add(qclr_host_generators
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${host_dir}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DQCLR_BUILD_TESTS=OFF -DQCLR_BUILD_TOOLS=OFF
             -DQCLR_BUILD_BENCH=OFF -DQCLR_WERROR=${QCLR_WERROR}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target ${host_generators}
  BUILD_BYPRODUCTS ${host_programs}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  USES_TERMINAL_BUILD ON)

foreach(generator program IN ZIP_LISTS host_generators host_programs)
  string(REGEX REPLACE "^qclr_" "" variable ${generator})
  set(${variable} ${program})
endforeach()

# The generators of this build itself would be Windows programs: not built.
cmake_language(DEFER CALL set_target_properties ${host_generators} PROPERTIES EXCLUDE_FROM_ALL ON)
cmake_language(DEFER CALL add_dependencies qclr_resource_files qclr_host_generators)
