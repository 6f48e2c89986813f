# Delay-loaded system DLLs of the Windows programs.
#
# user32, gdi32, comctl32 and shell32 must not be loaded before the program
# has narrowed the DLL search (platform/win32/runtime/program_start.cc): an
# ordinary import is loaded with its own imports before the program's first
# instruction, while the program's folder is still searched (Wine's user32,
# for one, imports version.dll). So the programs link them through delay-load
# libraries: each function's import slot first points at a stub that loads
# the DLL by name (MinGW's __delayLoadHelper2) and then the function.
#
# platform/win32/delayload/ and framework/win32/delayload/ list, per DLL, the
# functions that each win32 backend calls (a function both call is listed
# once, under the platform); dlltool makes a delay-load library of each list.
# GNU ld drops the stub of an import library member whose function is reached only through its
# import slot (__imp_), which is how Windows' headers call; a delay-load slot
# points at that stub, so each listed function is named as undefined (-u)
# to keep its stub. A function missing from the list resolves to the
# ordinary import library, and cmake/pecheck.sh then refuses the program.

find_program(TQ_DLLTOOL NAMES i686-w64-mingw32-dlltool REQUIRED)

# tq_delay_load_library(TARGET DEF): the INTERFACE target TARGET, the
# delay-load library of the DLL that DEF (a .def file, relative to the source
# root) names, with the functions it lists.
function(tq_delay_load_library target def)
  set(def ${CMAKE_SOURCE_DIR}/${def})
  file(STRINGS ${def} dll REGEX "^LIBRARY ")
  string(REGEX REPLACE "^LIBRARY +" "" dll "${dll}")
  set(lib ${CMAKE_BINARY_DIR}/delayload/lib${target}.a)
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delayload
    COMMAND ${CMAKE_COMMAND} -E rm -f ${lib}
    COMMAND ${TQ_DLLTOOL} --input-def ${def} --dllname ${dll} --output-delaylib ${lib} --kill-at
    DEPENDS ${def}
    COMMENT "Making the delay-load library of ${dll} (${target})")
  add_custom_target(${target}_lib DEPENDS ${lib})
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
  file(STRINGS ${def} exports REGEX "^[A-Za-z_][A-Za-z0-9_]*@[0-9]+$")
  set(keep)
  foreach(export IN LISTS exports)
    list(APPEND keep "LINKER:-u,_${export}")
  endforeach()
  add_library(${target} INTERFACE)
  target_link_libraries(${target} INTERFACE ${lib})
  target_link_options(${target} INTERFACE ${keep})
  add_dependencies(${target} ${target}_lib)
endfunction()
