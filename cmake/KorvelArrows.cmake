# Which folder's libraries may link which: the arrows of korvel's layering.
# shell/ is the ground and uses nothing; app/ is the top and joins every
# screen; nothing runs back up. A link against the table stops the configure
# step, so a screen cannot reach into another screen's folder by accident.
#
#   shell    <- everyone
#   media    -> shell
#   grid     -> shell
#   viewers  -> shell
#   measure  -> grid, shell
#   review   -> media, shell
#   capture  -> media, grid (its sample lake), viewers, shell
#   app      -> every folder above
#   magnifier: lensor, a program of its own, links nothing of korvel
if(CMAKE_SCRIPT_MODE_FILE)
  cmake_minimum_required(VERSION 3.20)
endif()

set(KORVEL_ARROWS_shell "")
set(KORVEL_ARROWS_magnifier "")
set(KORVEL_ARROWS_media "shell")
set(KORVEL_ARROWS_grid "shell")
set(KORVEL_ARROWS_viewers "shell")
set(KORVEL_ARROWS_measure "grid;shell")
set(KORVEL_ARROWS_review "media;shell")
set(KORVEL_ARROWS_capture "media;grid;viewers;shell")
set(KORVEL_ARROWS_app "capture;review;measure;grid;viewers;media;shell")
set(KORVEL_FOLDERS shell media grid viewers measure review capture app magnifier)

# korvel_check_arrows(folder library dep...): fails when a library of the
# folder may not link a dependency's folder. Dependencies outside korvel (Qt,
# FFmpeg) pass.
function(korvel_check_arrows from library)
  if(NOT from IN_LIST KORVEL_FOLDERS)
    message(FATAL_ERROR "${library}: no folder of korvel's layering is named ${from}")
  endif()
  foreach(dep IN LISTS ARGN)
    if(NOT dep MATCHES "^([a-z]+)_(core|ui|sample)$")
      continue()
    endif()
    set(to "${CMAKE_MATCH_1}")
    if(to STREQUAL from OR NOT to IN_LIST KORVEL_FOLDERS)
      continue()
    endif()
    if(NOT to IN_LIST KORVEL_ARROWS_${from})
      message(FATAL_ERROR "${library} links ${dep}: ${from}/ may not use ${to}/ "
                          "(allowed: ${KORVEL_ARROWS_${from}}; see ARCHITECTURE.md)")
    endif()
  endforeach()
endfunction()

# In script mode (cmake -DFOLDER=.. -DLIBRARY=.. -DLINKS=a;b -P ...) the
# check runs on its own, for the test that plants a wrong arrow.
if(CMAKE_SCRIPT_MODE_FILE STREQUAL CMAKE_CURRENT_LIST_FILE AND DEFINED LIBRARY)
  korvel_check_arrows(${FOLDER} ${LIBRARY} ${LINKS})
  message(STATUS "${LIBRARY}: every arrow allowed")
endif()

# The top folder of korvel the calling CMakeLists.txt lives in (grid/sample: grid).
function(korvel_folder_here out)
  file(RELATIVE_PATH rel "${PROJECT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}")
  string(REGEX MATCH "^[^/]+" top "${rel}")
  set(${out} "${top}" PARENT_SCOPE)
endfunction()
