# pugixml, always in its wide-character build. Where it comes from, in order:
#   -DPATHWRIGHT_PUGIXML_SOURCE=<folder holding src/pugixml.cpp>   (any checkout or release archive)
#   third_party/pugixml, filled by scripts/setup.sh from Debian's source package
#   -DPATHWRIGHT_PUGIXML_PACKAGE=ON: find_package(pugixml), e.g. from vcpkg; that build must define
#    PUGIXML_WCHAR_MODE itself (vcpkg: the "wchar-mode" feature), which is checked at configure time.
set(PATHWRIGHT_PUGIXML_SOURCE "" CACHE PATH "Folder with pugixml's source (holds src/pugixml.cpp)")
option(PATHWRIGHT_PUGIXML_PACKAGE "Use an installed pugixml package built with PUGIXML_WCHAR_MODE" OFF)

if(PATHWRIGHT_PUGIXML_PACKAGE)
  find_package(pugixml CONFIG REQUIRED)
  add_library(pathwright_pugixml INTERFACE)
  target_link_libraries(pathwright_pugixml INTERFACE pugixml::pugixml)
  target_compile_definitions(pathwright_pugixml INTERFACE PUGIXML_WCHAR_MODE)
  include(CheckCXXSourceCompiles)
  get_target_property(_pugi_inc pugixml::pugixml INTERFACE_INCLUDE_DIRECTORIES)
  set(CMAKE_REQUIRED_INCLUDES ${_pugi_inc})
  set(CMAKE_REQUIRED_DEFINITIONS -DPUGIXML_WCHAR_MODE)
  check_cxx_source_compiles("#include <pugixml.hpp>
    static_assert(sizeof(pugi::char_t) == sizeof(wchar_t)); int main() {}" PATHWRIGHT_PUGIXML_WIDE)
  if(NOT PATHWRIGHT_PUGIXML_WIDE)
    message(FATAL_ERROR "The pugixml package is not a wide-character build (PUGIXML_WCHAR_MODE)")
  endif()
  return()
endif()

set(_pugi_dir "${PATHWRIGHT_PUGIXML_SOURCE}")
if(NOT _pugi_dir)
  set(_pugi_dir "${PROJECT_SOURCE_DIR}/third_party/pugixml")
endif()
if(NOT EXISTS "${_pugi_dir}/src/pugixml.cpp")
  message(FATAL_ERROR "pugixml source not found in ${_pugi_dir}: run scripts/setup.sh, "
                      "or pass -DPATHWRIGHT_PUGIXML_SOURCE=<folder> or -DPATHWRIGHT_PUGIXML_PACKAGE=ON")
endif()
add_library(pathwright_pugixml STATIC "${_pugi_dir}/src/pugixml.cpp")
target_include_directories(pathwright_pugixml SYSTEM PUBLIC "${_pugi_dir}/src")
target_compile_definitions(pathwright_pugixml PUBLIC PUGIXML_WCHAR_MODE)
set_target_properties(pathwright_pugixml PROPERTIES POSITION_INDEPENDENT_CODE ON)
