# Helpers shared by the components' CMakeLists.txt.

# tq_library(NAME DIRS <dir>... [DEPS <target>...])
# A static library of every *.cc in the given folders (relative to the
# source root), except files named main.cc and *_test.cc.
function(tq_library name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS" ${ARGN})
  set(sources)
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cc)
    list(APPEND sources ${found})
  endforeach()
  list(FILTER sources EXCLUDE REGEX "/(main|[^/]*_test)\\.cc$")
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# tq_test(NAME DIRS <dir>... [DEPS <target>...] [WINE])
# A GoogleTest program of every *_test.cc in the folders. Natively each test
# case is registered with CTest; under WINE the program runs as one CTest test
# through the Wine runner (one at a time, in the build's private prefix).
function(tq_test name)
  cmake_parse_arguments(ARG "" "" "DIRS;DEPS;SOURCES" ${ARGN})
  set(sources ${ARG_SOURCES})
  foreach(dir IN LISTS ARG_DIRS)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*_test.cc)
    list(APPEND sources ${found})
  endforeach()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} ${TQ_GTEST_MAIN} ${TQ_GMOCK})
  if(TQ_WINDOWS)
    add_test(NAME ${name} COMMAND ${CMAKE_SOURCE_DIR}/tests/wine/run.sh $<TARGET_FILE:${name}>)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL ON LABELS wine)
  else()
    include(GoogleTest)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES LABELS native)
  endif()
endfunction()

# tq_windows_program(NAME SOURCES <file>... [DEPS <target>...] [GUI])
# A shipped Windows executable; the build check runs on it after linking.
function(tq_windows_program name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  if(ARG_GUI)
    target_link_options(${name} PRIVATE -mwindows -municode)
  else()
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${TQ_PECHECK} $<TARGET_FILE:${name}>
    COMMENT "Checking ${name}.exe: 32-bit, ASLR and DEP, system DLLs only")
endfunction()

# tq_json: nlohmann-json (Debian's nlohmann-json3-dev, header-only) for the
# tools. Only its own folder goes on the include path, linked into the build
# tree, so that the cross build never sees the host's /usr/include.
find_path(TQ_NLOHMANN_JSON_INCLUDE nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(TQ_JSON_INCLUDE ${CMAKE_BINARY_DIR}/json_include)
file(MAKE_DIRECTORY ${TQ_JSON_INCLUDE})
file(CREATE_LINK ${TQ_NLOHMANN_JSON_INCLUDE}/nlohmann ${TQ_JSON_INCLUDE}/nlohmann SYMBOLIC)
add_library(tq_json INTERFACE)
target_include_directories(tq_json SYSTEM INTERFACE ${TQ_JSON_INCLUDE})

# Native tools are built into one folder, bin/ of the build tree.
set(TQ_NATIVE_TOOLS_DIR ${CMAKE_BINARY_DIR}/bin)
