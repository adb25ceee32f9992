# Writes THIRD-PARTY-NOTICES.txt: the licence of every library linked into the programs, each taken
# whole from the file its packager ships with the copy we build against, so the notices follow the
# libraries rather than a hand-kept transcript. Run at build time by cmake/Package.cmake:
#   cmake -DOUTPUT=<file> -DVERSION=<ours> -DSOURCE_DIR=<our source tree>
#         -DPUGIXML=<licence> -DJSON=<copyright> -DMINGW=<copyright> -DGCC=<copyright> -P Notices.cmake
# A Debian copyright file (/usr/share/doc/<package>/copyright) is credited with its package's version.
cmake_minimum_required(VERSION 3.25)

set(rule "================================================================================")
set(contents "")
set(sections "")

function(add_notice number title licence path)
  if(NOT EXISTS "${path}")
    message(FATAL_ERROR "Licence file of ${title} not found: ${path}. Install the package that ships it "
                        "(scripts/setup.sh) or point the matching PATHWRIGHT_NOTICE_* cache variable at it.")
  endif()
  file(READ "${path}" text)
  string(STRIP "${text}" text)
  set(origin "From ${path}")
  if(path MATCHES "^/usr/share/doc/([^/]+)/copyright$")
    execute_process(COMMAND dpkg-query -W "-f=\${Version}" "${CMAKE_MATCH_1}"
      OUTPUT_VARIABLE version RESULT_VARIABLE failed ERROR_QUIET)
    if(NOT failed AND version)
      set(origin "From Debian's package ${CMAKE_MATCH_1} ${version},\n   ${path}")
    endif()
  elseif(SOURCE_DIR AND path MATCHES "^${SOURCE_DIR}/(.*)$")
    set(origin "From its source, ${CMAKE_MATCH_1}")
  endif()
  string(APPEND sections "  ${number}. ${title}\n     ${licence}\n")
  string(APPEND contents "\n\n${rule}\n${number}. ${title}\n   ${origin}\n${rule}\n\n${text}\n")
  set(sections "${sections}" PARENT_SCOPE)
  set(contents "${contents}" PARENT_SCOPE)
endfunction()

add_notice(1 "pugixml: reading and writing XML" "MIT licence" "${PUGIXML}")
add_notice(2 "JSON for Modern C++ (nlohmann-json): reading JSON" "MIT licence" "${JSON}")
add_notice(3 "mingw-w64 runtime, with winpthreads: the C runtime and threads"
  "Zope Public Licence 2.1, public domain and other permissive licences, file by file" "${MINGW}")
add_notice(4 "GCC runtime libraries: libstdc++ (the C++ standard library) and libgcc"
  "GNU GPL 3 or later with the GCC Runtime Library Exception 3.1" "${GCC}")

set(text "Third-party notices for Pathwright ${VERSION}

Pathwright.exe and pathwright-cli.exe are each one self-contained program: the libraries below were
linked into them when they were built. Their licences ask that these notices travel with the
programs; each section below holds the licence text as the library's packager ships it.

${sections}${contents}")
# Windows line ends: the file is read on Windows, in whatever editor opens a .txt there.
string(REGEX REPLACE "\r?\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}.new" "${text}")
file(RENAME "${OUTPUT}.new" "${OUTPUT}")
