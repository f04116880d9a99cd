# cmake -DSOURCES=<file listing sources, one per line> -DWIDGETS_DIR=<QtWidgets
#       include folder> [-DSTAMP=<file>] -P CheckNoWidgets.cmake
# Fails when a source of a widget-free library includes a Qt Widgets header,
# by its module path (<QtWidgets/QLabel>, <QtWidgets>) or by its bare name
# (<QLabel>, found in the Widgets include folder). Run at build time, so a
# screen class slipping into a model is refused before it is compiled.
if(NOT SOURCES OR NOT WIDGETS_DIR)
  message(FATAL_ERROR "CheckNoWidgets.cmake needs SOURCES and WIDGETS_DIR")
endif()

file(STRINGS "${SOURCES}" files)
set(found "")
foreach(source IN LISTS files)
  if(NOT EXISTS "${source}")
    continue()
  endif()
  file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*[<\"]([^>\"]+)[>\"].*$" "\\1" header "${line}")
    set(bad FALSE)
    if(header MATCHES "^QtWidgets(/|$)")
      set(bad TRUE)
    elseif(NOT header MATCHES "/" AND EXISTS "${WIDGETS_DIR}/${header}")
      set(bad TRUE)
    endif()
    if(bad)
      string(APPEND found "  ${source}: #include <${header}>\n")
    endif()
  endforeach()
endforeach()

if(found)
  message(FATAL_ERROR "A widget-free library includes Qt Widgets headers:\n${found}"
                      "Move the widget code into the folder's _ui library.")
endif()
if(STAMP)
  file(TOUCH "${STAMP}")
endif()
