# Finds libyuv (Debian's libyuv-dev ships no CMake or pkg-config file).
# Defines Libyuv_FOUND and the imported target Libyuv::Libyuv.
find_path(Libyuv_INCLUDE_DIR libyuv.h)
find_library(Libyuv_LIBRARY yuv)
include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(Libyuv REQUIRED_VARS Libyuv_LIBRARY Libyuv_INCLUDE_DIR)
if(Libyuv_FOUND AND NOT TARGET Libyuv::Libyuv)
  add_library(Libyuv::Libyuv UNKNOWN IMPORTED)
  set_target_properties(Libyuv::Libyuv PROPERTIES IMPORTED_LOCATION "${Libyuv_LIBRARY}"
                        INTERFACE_INCLUDE_DIRECTORIES "${Libyuv_INCLUDE_DIR}")
endif()
