# Each source folder is one library, and every header is named from the source root ("model/X.h"):
# the include root is the source tree itself, so an edited header is always the one compiled. Which
# folder may include which is written once, in PATHWRIGHT_LAYERS of the top CMakeLists.txt, and the
# layers test (cmake/CheckLayers.cmake) holds every source file of a layer to it.
function(pathwright_layer target folder)
  if(NOT ";${PATHWRIGHT_LAYERS};" MATCHES ";${folder}:")
    message(FATAL_ERROR "${folder}/ is no layer of PATHWRIGHT_LAYERS: say what it builds on there")
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR})
  else()
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR})
  endif()
endfunction()
