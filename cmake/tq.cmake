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
# A shipped Windows executable with the lean C++ runtime error paths
# (platform/win32/runtime/), optimised as a whole at link time, stripped of
# symbols and debugging data, and signed (cmake/signing.cmake); the build
# check runs on the signed image.
function(tq_windows_program name)
  cmake_parse_arguments(ARG "GUI" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES} $<TARGET_OBJECTS:tq_cxx_runtime>)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  # One partition: the programs are small, and GCC 12's partitioned
  # link-time optimisation of MinGW code stops with an internal error
  # (binds_to_current_def_p).
  target_link_options(${name} PRIVATE -s -flto -flto-partition=one)
  if(ARG_GUI)
    target_link_options(${name} PRIVATE -mwindows -municode)
  else()
    target_link_options(${name} PRIVATE -mconsole)
  endif()
  # A new certificate signs again (cmake/signing.cmake).
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${TQ_SIGN_CERT} ${TQ_SIGN_KEY})
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/sign.sh ${TQ_SIGN_CERT} ${TQ_SIGN_KEY} $<TARGET_FILE:${name}>
    COMMAND ${TQ_PECHECK} $<TARGET_FILE:${name}>
    COMMENT "Signing and checking ${name}.exe: 32-bit, ASLR and DEP, system DLLs only")
endfunction()
