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
# Widgets along; only core/print may link it. Areas meet only in core/: a library of one area
# (ui/ or not) that links a library of another, or one of core/ that links an area's, stops it too.

# ---- build speed ----
#
# Most of a file's compile time goes into parsing headers: the protocol records (ServiceOperations.h
# and the records behind it) and Qt. Every library above core/protocol and every test therefore
# compiles with a precompiled header of them. The header is built once per kind, by a host target,
# and reused by every target of that kind: widget-free libraries, ui/ libraries, tests.
#
# A precompiled header is used only with the flags it was made with; -Winvalid-pch names a target
# where that fails (it then compiles correctly, only slower).

option(TVP_PRECOMPILED_HEADERS "Compile libraries and tests with the shared precompiled headers" ON)
set(TVP_PCH_CORE
    <algorithm> <functional> <map> <memory> <optional> <string> <vector>
    <QByteArray> <QDateTime> <QHash> <QList> <QObject> <QString> <QStringList> <QVariant>
    ${PROJECT_SOURCE_DIR}/core/protocol/TVPWebServices2.h)
set(TVP_PCH_WIDGETS ${TVP_PCH_CORE}
    <QAction> <QApplication> <QCheckBox> <QComboBox> <QDialog> <QHBoxLayout> <QHeaderView> <QKeyEvent> <QLabel>
    <QLineEdit> <QMenu> <QPointer> <QPushButton> <QTimer> <QTreeView> <QVBoxLayout> <QWidget>)
set(TVP_PCH_TEST ${TVP_PCH_WIDGETS} <gtest/gtest.h>)

# Test sources are not optimised: the code of the assertion macros made optimising take half of
# their compile time, and the code under test comes optimised from the libraries.
set(TVP_TEST_COMPILE_OPTIONS -O0)

# The host of one kind. GCC takes a precompiled header only where every macro it was made with is
# defined alike, so the host defines only what all users define (Qt Core's macros) and takes the
# other modules' include folders without their QT_*_LIB macros.
function(_tvp_pch_host kind)
  set(host tvp_pch_${kind})
  if(TARGET ${host})
    return()
  endif()
  set(source ${PROJECT_BINARY_DIR}/pch/${kind}.cpp)
  if(kind STREQUAL "test")
    file(WRITE ${source} "int main() { return 0; }\n")
    add_executable(${host} EXCLUDE_FROM_ALL ${source})
  else()
    file(WRITE ${source} "")
    add_library(${host} STATIC EXCLUDE_FROM_ALL ${source})
  endif()
  # Not through ccache: a header made in another checkout of the same sources would come back from
  # the cache naming that checkout's files, which GCC then takes for other files than ours.
  set_target_properties(${host} PROPERTIES AUTOMOC OFF CXX_COMPILER_LAUNCHER "")
  target_link_libraries(${host} PRIVATE Qt6::Core)
  if(kind STREQUAL "test")
    target_link_libraries(${host} PRIVATE GTest::gtest)
    target_compile_options(${host} PRIVATE ${TVP_TEST_COMPILE_OPTIONS})
  endif()
  foreach(module IN ITEMS Qt6::Gui Qt6::Network Qt6::Widgets Qt6::PrintSupport pugixml::static)
    if(TARGET ${module})
      target_include_directories(${host} SYSTEM PRIVATE $<TARGET_PROPERTY:${module},INTERFACE_INCLUDE_DIRECTORIES>)
    endif()
  endforeach()
  target_include_directories(${host} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_BINARY_DIR})
  string(TOUPPER ${kind} list)
  target_precompile_headers(${host} PRIVATE ${TVP_PCH_${list}})
endfunction()

# Does the target link core/protocol, directly or through others (or is it)?
function(_tvp_reaches_protocol target out)
  _tvp_reaches(${target} tvp_core_protocol reaches)
  set(${out} ${reaches} PARENT_SCOPE)
endfunction()

function(_tvp_reaches target wanted out)
  set(queue ${target})
  set(seen ${target})
  while(queue)
    list(POP_FRONT queue node)
    if(node STREQUAL wanted)
      set(${out} TRUE PARENT_SCOPE)
      return()
    endif()
    _tvp_link_targets(${node} deps)
    foreach(dep IN LISTS deps)
      if(NOT dep IN_LIST seen)
        list(APPEND seen ${dep})
        list(APPEND queue ${dep})
      endif()
    endforeach()
  endwhile()
  set(${out} FALSE PARENT_SCOPE)
endfunction()

# A library's sources compile in batches of a few files each, so the headers they share are parsed
# and their inline code optimised once per batch rather than once per file. Files of one batch share
# one translation unit, so names in their anonymous namespaces must differ: the batches are made so
# that no two files that declare the same name at the start of a line (a constant, an alias, a
# `using enum`, a class or a function) share one. A file that still cannot share a batch sets
# SKIP_UNITY_BUILD_INCLUSION; files with compile options of their own are left out anyway.
option(TVP_UNITY_BUILD "Compile the sources of libraries in batches" ON)
set(TVP_UNITY_BATCH_SIZE 16 CACHE STRING "Sources per batch of a unity build")
if(TVP_UNITY_BUILD AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  # A batch includes its files, so GCC takes each for a header and warns where one of its classes
  # uses the file's anonymous namespace. Each file is still compiled in one batch only.
  add_compile_options(-Wno-subobject-linkage)
endif()

# The names a file declares at the start of a line.
function(_tvp_file_level_names path out)
  set(id "[A-Za-z_][A-Za-z0-9_]*")
  file(STRINGS ${path} lines REGEX "^(\\[\\[|using |const |constexpr |static |class |struct |enum |[A-Za-z_][A-Za-z0-9_:<>,*& ]* [*&]?${id}\\()")
  set(names)
  foreach(line IN LISTS lines)
    # An attribute ([[noreturn]], [[nodiscard]]) in front changes nothing about the name.
    string(REGEX REPLACE "^(\\[\\[[^]]*\\]\\] *)+" "" line "${line}")
    if(line MATCHES "^using enum ")
      list(APPEND names "using-enum")
    elseif(line MATCHES "^using (${id}) =")
      list(APPEND names "${CMAKE_MATCH_1}")
    elseif(line MATCHES "^(class|struct|enum class|enum) (${id})")
      list(APPEND names "${CMAKE_MATCH_2}")
    elseif(line MATCHES "^(static )?(const|constexpr) [^=(]* [*&]?(${id}) *(=|\\{|\\[|;)")
      list(APPEND names "${CMAKE_MATCH_3}")
    elseif(line MATCHES "^[A-Za-z_][A-Za-z0-9_:<>,*& ]* [*&]?(${id})\\(")
      list(APPEND names "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  list(REMOVE_DUPLICATES names)
  set(${out} ${names} PARENT_SCOPE)
endfunction()

function(_tvp_unity_batches target)
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  list(LENGTH sources count)
  math(EXPR batches "(${count} + ${TVP_UNITY_BATCH_SIZE} - 1) / ${TVP_UNITY_BATCH_SIZE}")
  if(batches LESS 1)
    return()
  endif()
  math(EXPR last "${batches} - 1")
  foreach(b RANGE ${last})
    set(fill_${b} 0)
    set(names_${b})
  endforeach()
  foreach(source IN LISTS sources)
    if(NOT source MATCHES "\\.cpp$")
      continue()
    endif()
    get_filename_component(path ${source} ABSOLUTE)
    set(names)
    if(EXISTS ${path})
      _tvp_file_level_names(${path} names)
    endif()
    # The emptiest batch with none of the file's names, else a new one.
    set(chosen -1)
    set(b 0)
    while(b LESS batches)
      if(fill_${b} LESS TVP_UNITY_BATCH_SIZE AND (chosen EQUAL -1 OR fill_${b} LESS fill_${chosen}))
        set(clash FALSE)
        foreach(name IN LISTS names)
          if(name IN_LIST names_${b})
            set(clash TRUE)
            break()
          endif()
        endforeach()
        if(NOT clash)
          set(chosen ${b})
        endif()
      endif()
      math(EXPR b "${b} + 1")
    endwhile()
    if(chosen EQUAL -1)
      set(chosen ${batches})
      set(fill_${chosen} 0)
      set(names_${chosen})
      math(EXPR batches "${batches} + 1")
    endif()
    set_source_files_properties(${source} PROPERTIES UNITY_GROUP ${target}_${chosen})
    math(EXPR fill_${chosen} "${fill_${chosen}} + 1")
    list(APPEND names_${chosen} ${names})
  endforeach()
  set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_MODE GROUP)
endfunction()

# kind: core, widgets or test.
function(_tvp_speed_up target kind)
  if(TVP_UNITY_BUILD)
    _tvp_unity_batches(${target})
  endif()
  if(NOT TVP_PRECOMPILED_HEADERS)
    return()
  endif()
  if(NOT kind STREQUAL "test")
    _tvp_reaches_protocol(${target} reaches)
    if(NOT reaches)
      return()
    endif()
  endif()
  _tvp_pch_host(${kind})
  target_precompile_headers(${target} REUSE_FROM tvp_pch_${kind})
endfunction()

# The program, the stand-in, the tools and the benchmarks take the libraries' precompiled headers:
# the widget kind where they link Qt Widgets, the widget-free kind otherwise.
function(tvp_precompiled_headers target)
  _tvp_reaches(${target} Qt6::Widgets widgets)
  if(widgets)
    _tvp_speed_up(${target} widgets)
  else()
    _tvp_speed_up(${target} core)
  endif()
endfunction()

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
  if(is_ui)
    _tvp_speed_up(${ARG_NAME} widgets)
  else()
    _tvp_speed_up(${ARG_NAME} core)
  endif()
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

# Walks everything a library links, directly or through others. A library of an area, widget-free
# or ui/, links no library of another area, and one of core/ none of an area. A widget-free library
# also links no widgets: they come in only through Qt PrintSupport, and only core/print links that.
function(_tvp_check_links library)
  get_target_property(folder ${library} TVP_FOLDER)
  get_target_property(is_ui ${library} TVP_UI_LIBRARY)
  string(REGEX REPLACE "/.*" "" area "${folder}")
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
        if(NOT is_ui AND NOT node_folder STREQUAL "core/print")
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
      if(widget_dep AND NOT is_ui)
        message(FATAL_ERROR "${library} in ${folder}/ links ${dep} (${path}): widgets belong to ui/ folders only")
      endif()
      # Areas meet only in core/: what two areas share moves down there.
      get_target_property(dep_folder ${dep} TVP_FOLDER)
      if(dep_folder)
        string(REGEX REPLACE "/.*" "" dep_area "${dep_folder}")
        if(NOT dep_area STREQUAL "core" AND NOT dep_area STREQUAL area)
          message(FATAL_ERROR "${library} in ${folder}/ links ${dep} of ${dep_folder}/ (${path}): "
                              "areas meet only in core/")
        endif()
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
    _tvp_check_links(${library})
  endforeach()
endfunction()

# Runs after the last folder is read, so a library may link one defined later.
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _tvp_check_layers)

# Tests with a Qt event loop: the test main makes a QApplication (offscreen, German locale).
#
# Each test executable links the libraries it tests with their debug information, and linking
# dominates a small test's build: the tests of one folder form one executable, tests_<folder> (or
# tests_<folder>_ui for those that link a ui/ library), made once the folder is read. A tvp_test's
# NAME stays a target that builds it, its DEFINITIONS hold for the whole executable (a macro may
# have only one value there), and every test keeps its name in CTest.
# WINDOW_MANAGER: the tests run on an X server of their own under openbox
# (tests/support/with-window-manager.sh), in an executable of their own.
function(tvp_test)
  cmake_parse_arguments(ARG "WINDOW_MANAGER" "NAME" "SOURCES;DEPS;DEFINITIONS" ${ARGN})
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(MAKE_C_IDENTIFIER "tests_${folder}" executable)
  if(ARG_DEPS MATCHES "_ui(;|$)")
    string(APPEND executable _ui)
  endif()
  if(ARG_WINDOW_MANAGER)
    string(APPEND executable _wm)
  endif()
  get_property(executables DIRECTORY PROPERTY TVP_TEST_EXECUTABLES)
  if(NOT executables)
    cmake_language(DEFER CALL _tvp_test_executables)
  endif()
  if(NOT executable IN_LIST executables)
    set_property(DIRECTORY APPEND PROPERTY TVP_TEST_EXECUTABLES ${executable})
  endif()
  set_property(DIRECTORY APPEND PROPERTY TVP_TEST_DEFINITIONS_${executable} ${ARG_DEFINITIONS})
  set_property(DIRECTORY APPEND PROPERTY TVP_TEST_SOURCES_${executable} ${ARG_SOURCES})
  set_property(DIRECTORY APPEND PROPERTY TVP_TEST_DEPS_${executable} ${ARG_DEPS})
  add_custom_target(${ARG_NAME})
  add_dependencies(${ARG_NAME} ${executable})
endfunction()

function(_tvp_test_executables)
  get_property(executables DIRECTORY PROPERTY TVP_TEST_EXECUTABLES)
  foreach(executable IN LISTS executables)
    get_property(sources DIRECTORY PROPERTY TVP_TEST_SOURCES_${executable})
    get_property(deps DIRECTORY PROPERTY TVP_TEST_DEPS_${executable})
    list(REMOVE_DUPLICATES deps)
    get_property(definitions DIRECTORY PROPERTY TVP_TEST_DEFINITIONS_${executable})
    list(REMOVE_DUPLICATES definitions)
    set(defined)
    foreach(definition IN LISTS definitions)
      string(REGEX REPLACE "=.*" "" macro "${definition}")
      if(macro IN_LIST defined)
        message(FATAL_ERROR "${executable}: ${macro} is defined with two values")
      endif()
      list(APPEND defined ${macro})
    endforeach()
    add_executable(${executable} ${sources})
    target_link_libraries(${executable} PRIVATE tvp_test_main ${deps})
    target_compile_options(${executable} PRIVATE ${TVP_TEST_COMPILE_OPTIONS})
    # For the whole executable: a source with definitions of its own could not share a batch.
    target_compile_definitions(${executable} PRIVATE ${definitions})
    _tvp_speed_up(${executable} test)
    set(platform offscreen)
    if(executable MATCHES "_wm$")
      set(platform xcb)
      set_target_properties(${executable} PROPERTIES CROSSCOMPILING_EMULATOR
        "bash;${PROJECT_SOURCE_DIR}/tests/support/with-window-manager.sh")
    endif()
    gtest_discover_tests(${executable} DISCOVERY_TIMEOUT 60
      PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=${platform};TVP_COMMON_APPDATA=${CMAKE_BINARY_DIR}/test-appdata")
  endforeach()
endfunction()

# Adds a ui/ folder, except in the fuzz build, which has no windows.
macro(tvp_add_ui folder)
  if(NOT TVP_FUZZ)
    add_subdirectory(${folder})
  endif()
endmacro()
