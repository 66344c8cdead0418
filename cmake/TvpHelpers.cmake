# One helper per library and one per test executable, so every folder's CMakeLists reads alike.
#
#   tvp_library(NAME tvp_core_util SOURCES a.cpp b.cpp DEPS Qt6::Core)
#   tvp_test(NAME test_util SOURCES FooTest.cpp DEPS tvp_core_util)
#
# Includes are written from the repository root ("core/protocol/Record.h"), so every library
# exports the root (and the build root, for generated headers).
#
# Widgets belong to folders named ui/: a library elsewhere that links Qt Widgets, or a library of
# a ui/ folder, stops the configure step.

function(tvp_library)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;DEPS;PRIVATE_DEPS" ${ARGN})
  if(NOT ARG_NAME)
    message(FATAL_ERROR "tvp_library: NAME is missing")
  endif()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  set(is_ui FALSE)
  if(folder MATCHES "(^|/)ui$")
    set(is_ui TRUE)
  endif()
  if(NOT is_ui)
    foreach(dep IN LISTS ARG_DEPS ARG_PRIVATE_DEPS)
      set(widget_dep FALSE)
      if(dep STREQUAL "Qt6::Widgets" OR dep STREQUAL "Qt::Widgets")
        set(widget_dep TRUE)
      elseif(TARGET ${dep})
        get_target_property(dep_ui ${dep} TVP_UI_LIBRARY)
        if(dep_ui)
          set(widget_dep TRUE)
        endif()
      endif()
      if(widget_dep)
        message(FATAL_ERROR "${ARG_NAME} in ${folder}/ links ${dep}: widgets belong to ui/ folders only")
      endif()
    endforeach()
  endif()
  add_library(${ARG_NAME} STATIC ${ARG_SOURCES})
  target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
  target_link_libraries(${ARG_NAME} PUBLIC ${ARG_DEPS})
  if(ARG_PRIVATE_DEPS)
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_PRIVATE_DEPS})
  endif()
  set_target_properties(${ARG_NAME} PROPERTIES TVP_UI_LIBRARY ${is_ui})
endfunction()

# Tests with a Qt event loop: the test main makes a QApplication (offscreen, German locale).
function(tvp_test)
  cmake_parse_arguments(ARG "" "NAME" "SOURCES;DEPS;DEFINITIONS" ${ARGN})
  add_executable(${ARG_NAME} ${ARG_SOURCES})
  target_link_libraries(${ARG_NAME} PRIVATE tvp_test_main ${ARG_DEPS})
  if(ARG_DEFINITIONS)
    target_compile_definitions(${ARG_NAME} PRIVATE ${ARG_DEFINITIONS})
  endif()
  gtest_discover_tests(${ARG_NAME} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;TVP_COMMON_APPDATA=${CMAKE_BINARY_DIR}/test-appdata")
endfunction()

# Adds a ui/ folder, except in the fuzz build, which has no windows.
macro(tvp_add_ui folder)
  if(NOT TVP_FUZZ)
    add_subdirectory(${folder})
  endif()
endmacro()
