# Finds FFmpeg's libswscale and libavutil through pkg-config. Defines
# Swscale_FOUND and the imported target Swscale::Swscale.
find_package(PkgConfig QUIET)
if(PkgConfig_FOUND)
  pkg_check_modules(Swscale_PC QUIET IMPORTED_TARGET libswscale libavutil)
endif()
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Swscale REQUIRED_VARS Swscale_PC_LINK_LIBRARIES)
if(Swscale_FOUND AND NOT TARGET Swscale::Swscale)
  add_library(Swscale::Swscale INTERFACE IMPORTED)
  target_link_libraries(Swscale::Swscale INTERFACE PkgConfig::Swscale_PC)
endif()
