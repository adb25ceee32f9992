# The release, made by CPack from the install() rules: cmake --workflow --preset package writes
#   dist/Pathwright-<version>-win64.zip         both programs, the language files, the readme, the
#                                               licence and the third-party notices in one folder
#   dist/Pathwright-<version>-win64-setup.exe   the same files installed for the current user (NSIS,
#                                               no administrator), with a Start menu entry and an
#                                               uninstaller (cmake/installer/NSIS.template.in)

# The licences of the libraries linked into the programs, taken at build time from the files their
# packagers ship (cmake/Notices.cmake). Debian's places by default; other systems point these elsewhere.
set(_pugi_licence "${PATHWRIGHT_PUGIXML_SOURCE}")
if(NOT _pugi_licence)
  set(_pugi_licence "${PROJECT_SOURCE_DIR}/third_party/pugixml")
endif()
set(PATHWRIGHT_NOTICE_PUGIXML "${_pugi_licence}/LICENSE.md" CACHE FILEPATH "pugixml's licence")
set(PATHWRIGHT_NOTICE_JSON /usr/share/doc/nlohmann-json3-dev/copyright CACHE FILEPATH
  "nlohmann-json's copyright file")
set(PATHWRIGHT_NOTICE_MINGW /usr/share/doc/mingw-w64-x86-64-dev/copyright CACHE FILEPATH
  "The mingw-w64 runtime's copyright file (CRT, winpthreads)")
set(PATHWRIGHT_NOTICE_GCC /usr/share/doc/g++-mingw-w64-x86-64-posix/copyright CACHE FILEPATH
  "The GCC runtime's copyright file (libstdc++, libgcc)")
set(_notices ${PROJECT_BINARY_DIR}/THIRD-PARTY-NOTICES.txt)
add_custom_command(OUTPUT ${_notices}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${_notices} -DVERSION=${PROJECT_VERSION} -DSOURCE_DIR=${PROJECT_SOURCE_DIR}
    -DPUGIXML=${PATHWRIGHT_NOTICE_PUGIXML} -DJSON=${PATHWRIGHT_NOTICE_JSON}
    -DMINGW=${PATHWRIGHT_NOTICE_MINGW} -DGCC=${PATHWRIGHT_NOTICE_GCC}
    -P ${PROJECT_SOURCE_DIR}/cmake/Notices.cmake
  DEPENDS ${PROJECT_SOURCE_DIR}/cmake/Notices.cmake ${PATHWRIGHT_NOTICE_PUGIXML} ${PATHWRIGHT_NOTICE_JSON}
    ${PATHWRIGHT_NOTICE_MINGW} ${PATHWRIGHT_NOTICE_GCC}
  COMMENT "Writing THIRD-PARTY-NOTICES.txt" VERBATIM)
add_custom_target(pathwright_notices ALL DEPENDS ${_notices})
install(FILES README.md LICENSE ${_notices} DESTINATION .)
# The README shows these pictures, in the unpacked zip and the installed folder too.
install(FILES docs/main-window.png docs/list-editor.png DESTINATION docs)

set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR ${PATHWRIGHT_PUBLISHER})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(PATHWRIGHT_PACKAGE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-win64)
set(CPACK_PACKAGE_FILE_NAME ${PATHWRIGHT_PACKAGE_NAME})
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/dist)
# The installer is named apart from the zip (cmake/PackageFileName.cmake runs once per generator).
set(CPACK_PROJECT_CONFIG_FILE ${PROJECT_SOURCE_DIR}/cmake/PackageFileName.cmake)
set(CPACK_VERBATIM_VARIABLES ON)

set(CPACK_GENERATOR ZIP)
find_program(PATHWRIGHT_MAKENSIS makensis DOC "NSIS's compiler, for the installer")
if(PATHWRIGHT_MAKENSIS)
  list(APPEND CPACK_GENERATOR NSIS)
else()
  message(WARNING "makensis not found (Debian: nsis, scripts/setup.sh): the release is the zip only")
endif()

# The installer. CPack finds our NSIS.template.in before its own; the values below are what it fills in.
set(CPACK_MODULE_PATH ${PROJECT_SOURCE_DIR}/cmake/installer)
# Debian's default NSIS stub is 32-bit; the 64-bit one also starts where there is no 32-bit support.
set(CPACK_NSIS_DEFINES "Target amd64-unicode")
set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
# Per user: the user's own programs folder, the one Windows itself uses for per-user installs.
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\Programs")
set(CPACK_PACKAGE_INSTALL_DIRECTORY ${PROJECT_NAME})
# One uninstall entry whatever the version: a newer installer updates the same installation.
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY ${PROJECT_NAME})
set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/res/Pathwright.ico)
set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/res/Pathwright.ico)
include(CPack)
