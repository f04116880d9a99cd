# The folder holding the Qt Widgets headers by their bare names (<QLabel>).
get_target_property(_widgets_includes Qt6::Widgets INTERFACE_INCLUDE_DIRECTORIES)
foreach(dir IN LISTS _widgets_includes)
  if(EXISTS "${dir}/QWidget")
    set(KORVEL_WIDGETS_INCLUDE_DIR "${dir}")
  endif()
endforeach()
if(NOT KORVEL_WIDGETS_INCLUDE_DIR)
  message(FATAL_ERROR "The Qt Widgets include folder was not found")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/KorvelArrows.cmake)

# Precompiled headers: the Qt headers every file of a kind includes are parsed
# once a target instead of once a file, which is most of a small file's
# compile time. (A build without them, -DKORVEL_PCH=OFF, proves that every
# file still includes what it uses.)
set(KORVEL_PCH_CORE <QString> <QStringList> <QByteArray> <QList> <QObject> <QImage> <QFile>
    <QFileInfo> <QDir> <QDateTime> <QPointF> <QSize> <algorithm> <array> <cstdint> <functional>
    <map> <memory> <optional> <span> <vector>)
set(KORVEL_PCH_UI ${KORVEL_PCH_CORE} <QWidget> <QLabel> <QPushButton> <QLineEdit> <QComboBox>
    <QCheckBox> <QGridLayout> <QHBoxLayout> <QVBoxLayout> <QPainter> <QTimer> <QApplication>)
set(KORVEL_PCH_TEST ${KORVEL_PCH_UI} <gtest/gtest.h>)

# korvel_precompile(target CORE|UI|TEST)
function(korvel_precompile target kind)
  if(KORVEL_PCH)
    target_precompile_headers(${target} PRIVATE ${KORVEL_PCH_${kind}})
  endif()
endfunction()

# korvel_core_library(name SOURCES ... LINKS ...)
# A widget-free library: it may use Qt Core and Gui, never Widgets. The check
# below runs at configure time so a stray Widgets link fails the build at once.
function(korvel_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  korvel_folder_here(folder)
  korvel_check_arrows(${folder} ${name} ${ARG_LINKS})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  korvel_precompile(${name} CORE)
  foreach(dep IN LISTS ARG_LINKS)
    if(dep STREQUAL "Qt6::Widgets" OR dep MATCHES "_ui$")
      message(FATAL_ERROR "${name} is a widget-free library and must not link ${dep}")
    endif()
  endforeach()

  # A Widgets include through the Qt include root (<QtWidgets/QLabel>) would
  # compile here without the link; the scan refuses it at build time, and
  # reruns only when a source of the library changes.
  set(listed "")
  foreach(source IN LISTS ARG_SOURCES)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} OUTPUT_VARIABLE absolute)
    list(APPEND listed ${absolute})
  endforeach()
  list(JOIN listed "\n" lines)
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_sources.txt)
  file(CONFIGURE OUTPUT ${list_file} CONTENT "${lines}\n" @ONLY)
  set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${name}_no_widgets.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${CMAKE_COMMAND} -DSOURCES=${list_file} -DWIDGETS_DIR=${KORVEL_WIDGETS_INCLUDE_DIR}
            -DSTAMP=${stamp} -P ${PROJECT_SOURCE_DIR}/cmake/CheckNoWidgets.cmake
    DEPENDS ${listed} ${list_file} ${PROJECT_SOURCE_DIR}/cmake/CheckNoWidgets.cmake
    COMMENT "Checking that ${name} uses no widgets"
    VERBATIM)
  add_custom_target(${name}_no_widgets DEPENDS ${stamp})
  add_dependencies(${name} ${name}_no_widgets)
endfunction()

# korvel_ui_library(name SOURCES ... LINKS ...): the thin screens of a folder.
function(korvel_ui_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  korvel_folder_here(folder)
  korvel_check_arrows(${folder} ${name} ${ARG_LINKS})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC Qt6::Widgets ${ARG_LINKS})
  korvel_precompile(${name} UI)
endfunction()
