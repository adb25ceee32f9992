# nlohmann's JSON for Modern C++, header-only, from Debian's nlohmann-json3-dev; found once and used by
# both builds. The Windows build must not see the rest of /usr/include, so the target's include root
# holds only a link to the nlohmann folder.
find_path(PATHWRIGHT_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH
  DOC "Folder holding nlohmann/json.hpp")
if(NOT PATHWRIGHT_JSON_INCLUDE)
  message(FATAL_ERROR "nlohmann/json.hpp not found: install nlohmann-json3-dev (scripts/setup.sh) "
                      "or pass -DPATHWRIGHT_JSON_INCLUDE=<folder holding nlohmann/>")
endif()
set(_json_root ${PROJECT_BINARY_DIR}/include/json)
if(NOT EXISTS ${_json_root}/nlohmann)
  file(MAKE_DIRECTORY ${_json_root})
  file(CREATE_LINK ${PATHWRIGHT_JSON_INCLUDE}/nlohmann ${_json_root}/nlohmann SYMBOLIC)
endif()
add_library(pathwright_json INTERFACE)
target_include_directories(pathwright_json SYSTEM INTERFACE ${_json_root})
