# korvel_core_library(name SOURCES ... LINKS ...)
# A widget-free library: it may use Qt Core and Gui, never Widgets. The check
# below runs at configure time so a stray Widgets link fails the build at once.
function(korvel_core_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  foreach(dep IN LISTS ARG_LINKS)
    if(dep STREQUAL "Qt6::Widgets" OR dep MATCHES "_ui$")
      message(FATAL_ERROR "${name} is a widget-free library and must not link ${dep}")
    endif()
  endforeach()
endfunction()

# korvel_ui_library(name SOURCES ... LINKS ...): the thin screens of a folder.
function(korvel_ui_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC Qt6::Widgets ${ARG_LINKS})
endfunction()
