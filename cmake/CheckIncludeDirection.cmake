# Fails when a source file includes a part of the program it must not use, so that the tree's
# layering (see ARCHITECTURE.md) cannot erode unnoticed. Run by ctest as the IncludeDirection test:
#   cmake -DSOURCE_DIR=<repository root> -P cmake/CheckIncludeDirection.cmake
#
# A part is a folder under src/ (platform parts are platform/<name>). Each part may include itself
# and the parts listed for it; everything else is a layering fault.

set(platform_all platform/core platform/document platform/pictures platform/rtf
    platform/clipboard platform/dialogs platform/bars platform/control)

set(allowed_platform/core "")
set(allowed_platform/document platform/core)
set(allowed_platform/pictures platform/core platform/document)
set(allowed_platform/rtf platform/core platform/document platform/pictures)
set(allowed_platform/clipboard platform/core)
set(allowed_platform/dialogs platform/core)
set(allowed_platform/bars platform/core)
set(allowed_platform/control platform/core platform/document platform/pictures platform/rtf)
set(allowed_clipboard platform/core platform/clipboard)
set(allowed_shell ${platform_all} clipboard)
set(allowed_editing ${platform_all} shell clipboard)
set(allowed_formatting ${platform_all} shell)
set(allowed_insertion ${platform_all} shell)
set(allowed_find ${platform_all} shell)
set(allowed_app ${platform_all} clipboard shell editing formatting insertion find)

# The part a path below src/ belongs to: platform/<name> for the platform layer, else the folder.
function(part_of path out)
  if(path MATCHES "^platform/([^/]+)/")
    set(${out} "platform/${CMAKE_MATCH_1}" PARENT_SCOPE)
  elseif(path MATCHES "^([^/]+)/")
    set(${out} "${CMAKE_MATCH_1}" PARENT_SCOPE)
  else()
    set(${out} "" PARENT_SCOPE)
  endif()
endfunction()

file(GLOB_RECURSE sources RELATIVE ${SOURCE_DIR}/src ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp)
set(faults "")
foreach(source ${sources})
  part_of(${source} from)
  if(NOT DEFINED allowed_${from})
    list(APPEND faults "${source}: folder '${from}' is not a known part")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/src/${source} includes REGEX "^#include \"[^\"]+\"")
  foreach(line ${includes})
    string(REGEX REPLACE "^#include \"([^\"]+)\".*" "\\1" target "${line}")
    part_of(${target} to)
    if(to STREQUAL "" OR to STREQUAL from)
      continue()
    endif()
    list(FIND allowed_${from} ${to} found)
    if(found EQUAL -1)
      list(APPEND faults "${source} includes ${target}: '${from}' may not use '${to}'")
    endif()
  endforeach()
endforeach()

if(faults)
  list(JOIN faults "\n" report)
  message(FATAL_ERROR "Includes against the layering:\n${report}")
endif()
list(LENGTH sources count)
message(STATUS "Include direction holds in ${count} files")
