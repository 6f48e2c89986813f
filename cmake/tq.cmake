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
  if(TQ_WINDOWS)
    # No guards on function-local statics (see tq_windows_program).
    target_compile_options(${name} PRIVATE -fno-threadsafe-statics)
  endif()
  set_property(TARGET ${name} PROPERTY TQ_SOURCES ${sources})
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

# tq_sources_of(VAR <tq_library target>...)
# The source files of the given libraries, for a program that compiles them
# with flags of its own (tq_windows_program NO_EXCEPTIONS).
function(tq_sources_of var)
  set(sources)
  foreach(library IN LISTS ARGN)
    get_property(found TARGET ${library} PROPERTY TQ_SOURCES)
    list(APPEND sources ${found})
  endforeach()
  set(${var} ${sources} PARENT_SCOPE)
endfunction()

# tq_windows_program(NAME SOURCES <file>... [DEPS <target>...] [GUI] [NO_EXCEPTIONS])
# A shipped Windows executable whose entry point first narrows the DLL search
# to the system folder (platform/win32/runtime/program_start.cc), with the
# lean C++ runtime error paths (platform/win32/runtime/), optimised as a
# whole at link time, stripped of symbols and debugging data, and signed
# (cmake/signing.cmake); the build checks run on the signed image
# (cmake/pecheck.sh, and cmake/importcheck.py: every imported function is on
# Windows 2000 SP4).
# The system's code, the program's sources and its libraries (tq_library),
# is compiled without guards on function-local statics: setup and tqinfcheck
# run on one thread, and Spoolmate makes its statics on its main thread
# before the service dispatcher starts another (a program must do so); the
# Wine test programs run the system's code on one thread too.
# NO_EXCEPTIONS: for a program that catches no exception, so that any would
# end it anyway: its own sources are compiled without exception support, and
# it links the aborting form of the runtime error paths.
function(tq_windows_program name)
  cmake_parse_arguments(ARG "GUI;NO_EXCEPTIONS" "" "SOURCES;DEPS" ${ARGN})
  if(ARG_NO_EXCEPTIONS)
    add_executable(${name} ${ARG_SOURCES} $<TARGET_OBJECTS:tq_cxx_runtime_abort>)
    target_compile_options(${name} PRIVATE -fno-exceptions -fno-asynchronous-unwind-tables)
  else()
    add_executable(${name} ${ARG_SOURCES} $<TARGET_OBJECTS:tq_cxx_runtime>)
  endif()
  target_compile_options(${name} PRIVATE -fno-threadsafe-statics)
  target_sources(${name} PRIVATE $<TARGET_OBJECTS:tq_program_start>)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS})
  # One partition: the programs are small, and GCC 12's partitioned
  # link-time optimisation of MinGW code stops with an internal error
  # (binds_to_current_def_p).
  target_link_options(${name} PRIVATE -s -flto -flto-partition=one)
  if(ARG_GUI)
    target_link_options(${name} PRIVATE -mwindows -municode LINKER:--entry=_TqWindowsProgramStart)
  else()
    target_link_options(${name} PRIVATE -mconsole LINKER:--entry=_TqConsoleProgramStart)
  endif()
  # A new certificate signs again (cmake/signing.cmake).
  set_property(TARGET ${name} APPEND PROPERTY LINK_DEPENDS ${TQ_SIGN_CERT} ${TQ_SIGN_KEY})
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_SOURCE_DIR}/cmake/sign.sh ${TQ_SIGN_CERT} ${TQ_SIGN_KEY} $<TARGET_FILE:${name}>
    COMMAND ${TQ_PECHECK} $<TARGET_FILE:${name}>
    COMMAND ${TQ_IMPORTCHECK} ${CMAKE_C_COMPILER} $<TARGET_FILE:${name}>
    COMMENT "Signing and checking ${name}.exe: 32-bit, ASLR and DEP, system DLLs only, Windows 2000's functions only")
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
