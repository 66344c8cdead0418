# One helper per library and one per test executable, so every folder's CMakeLists reads alike.
#
#   tvp_library(NAME tvp_core_util SOURCES a.cpp b.cpp DEPS Qt6::Core)
#   tvp_test(NAME test_util SOURCES FooTest.cpp DEPS tvp_core_util)
#
# Includes are written from the repository root ("core/protocol/Record.h"), so every library
# exports the root (and the build root, for generated headers).
#
# Widgets belong to folders named ui/: a library elsewhere that links Qt Widgets or a library of a
# ui/ folder, directly or through other libraries, stops the configure step. Qt PrintSupport brings
# Widgets along; only core/print may link it.

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
  add_library(${ARG_NAME} STATIC ${ARG_SOURCES})
  target_include_directories(${ARG_NAME} PUBLIC ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
  target_link_libraries(${ARG_NAME} PUBLIC ${ARG_DEPS})
  if(ARG_PRIVATE_DEPS)
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_PRIVATE_DEPS})
  endif()
  set_target_properties(${ARG_NAME} PROPERTIES TVP_UI_LIBRARY ${is_ui} TVP_FOLDER "${folder}")
  set_property(GLOBAL APPEND PROPERTY TVP_LIBRARIES ${ARG_NAME})
endfunction()

# ---- the layering check, once every library is known ----

# The link entries of a target as target names: private links of a static library come as
# $<LINK_ONLY:...>, other generator expressions and plain files are no targets to follow.
function(_tvp_link_targets target out)
  get_target_property(imported ${target} IMPORTED)
  get_target_property(type ${target} TYPE)
  set(entries)
  if(NOT imported AND NOT type STREQUAL "INTERFACE_LIBRARY")
    get_target_property(entries ${target} LINK_LIBRARIES)
  endif()
  get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
  set(names)
  foreach(entry IN LISTS entries interface)
    if(entry MATCHES "^\\$<LINK_ONLY:(.+)>$")
      set(entry ${CMAKE_MATCH_1})
    endif()
    if(entry MATCHES "^::@" OR entry MATCHES "^\\$<" OR NOT TARGET ${entry})
      continue()
    endif()
    get_target_property(aliased ${entry} ALIASED_TARGET)
    if(aliased)
      set(entry ${aliased})
    endif()
    list(APPEND names ${entry})
  endforeach()
  list(REMOVE_DUPLICATES names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()

# Walks everything a widget-free library links, directly or through others. Widgets come in only
# through Qt PrintSupport, and only core/print links that.
function(_tvp_check_widget_free library)
  get_target_property(folder ${library} TVP_FOLDER)
  set(queue ${library})
  set(seen ${library})
  set(path_${library} ${library})
  while(queue)
    list(POP_FRONT queue node)
    _tvp_link_targets(${node} deps)
    foreach(dep IN LISTS deps)
      if(dep IN_LIST seen)
        continue()
      endif()
      set(path "${path_${node}} -> ${dep}")
      if(dep MATCHES "^Qt6?::PrintSupport$")
        get_target_property(node_folder ${node} TVP_FOLDER)
        if(NOT node_folder STREQUAL "core/print")
          message(FATAL_ERROR "${library} in ${folder}/ links Qt PrintSupport (${path}): "
                              "only core/print may, for painting on printers")
        endif()
        continue()
      endif()
      set(widget_dep FALSE)
      if(dep MATCHES "^Qt6?::Widgets$")
        set(widget_dep TRUE)
      else()
        get_target_property(dep_ui ${dep} TVP_UI_LIBRARY)
        if(dep_ui)
          set(widget_dep TRUE)
        endif()
      endif()
      if(widget_dep)
        message(FATAL_ERROR "${library} in ${folder}/ links ${dep} (${path}): widgets belong to ui/ folders only")
      endif()
      list(APPEND seen ${dep})
      list(APPEND queue ${dep})
      set(path_${dep} ${path})
    endforeach()
  endwhile()
endfunction()

function(_tvp_check_layers)
  get_property(libraries GLOBAL PROPERTY TVP_LIBRARIES)
  foreach(library IN LISTS libraries)
    get_target_property(is_ui ${library} TVP_UI_LIBRARY)
    if(NOT is_ui)
      _tvp_check_widget_free(${library})
    endif()
  endforeach()
endfunction()

# Runs after the last folder is read, so a library may link one defined later.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _tvp_check_layers)

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
