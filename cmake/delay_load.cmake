# Delay-loaded system libraries. A DLL in a program's import table is loaded
# before the program's first line runs; under Wine each costs start-up time
# the user waits through, and some pull in a dozen more (the common dialogs
# bring the shell, the common controls and the printing system). The ones
# Nimbol needs only when the user asks for something (a file dialog, the
# data protection of stored tabs, randomness for a password, the network,
# printing) are linked through delay-import libraries instead: the system
# loads each at its first call.
#
# The delay-import library of a DLL is made at configure time from the
# toolchain's own import library: its function exports, through dlltool.
# (Data exports cannot be delay-loaded; none of these is used for data.)

function(nimbol_delay_load out)
  set(folder ${CMAKE_BINARY_DIR}/delay_load)
  file(MAKE_DIRECTORY ${folder})
  set(libraries)
  foreach(dll IN LISTS ARGN)
    find_library(import_library_${dll} NAMES lib${dll}.a REQUIRED)
    execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${import_library_${dll}}
      OUTPUT_VARIABLE symbols RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${CMAKE_NM} could not list ${import_library_${dll}}")
    endif()
    # Lines "<address> T <name>": the functions, without the import thunks'
    # own helpers (which start with "__").
    string(REGEX MATCHALL "[0-9a-fA-F]+ T [A-Za-z][A-Za-z0-9_@]*" functions "${symbols}")
    list(TRANSFORM functions REPLACE "^[0-9a-fA-F]+ T " "")
    list(REMOVE_DUPLICATES functions)
    list(JOIN functions "\n" exports)
    file(WRITE ${folder}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
    execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${folder}/${dll}.def
      --output-delaylib ${folder}/lib${dll}_delay.a RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${CMAKE_DLLTOOL} could not make the delay-import library of ${dll}")
    endif()
    list(APPEND libraries ${folder}/lib${dll}_delay.a)
  endforeach()
  # The helper that loads a DLL at its first call.
  list(APPEND libraries delayimp)
  set(${out} ${libraries} PARENT_SCOPE)
endfunction()
