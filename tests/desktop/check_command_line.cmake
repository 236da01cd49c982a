# Runs the program with no display at all (no DISPLAY, WAYLAND_DISPLAY or
# QT_QPA_PLATFORM, as from a text console or ssh) and checks its exit status
# and what it wrote. STDOUT lists texts the output must hold (none: it must be
# empty); STDERR is the text of the one line expected on standard error (none:
# nothing). STATUS "running" expects the window to be up and the program still
# running after a few seconds, which ends the test.
#   cmake -DPROGRAM=... "-DARGS=a;b" -DSTATUS=0 "-DSTDOUT=text;text" -DSTDERR=text -P check_command_line.cmake
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{QT_QPA_PLATFORM})

if(STATUS STREQUAL "running")
  execute_process(COMMAND "${PROGRAM}" ${ARGS} TIMEOUT 3
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc MATCHES "timeout")
    message(FATAL_ERROR "expected the window to stay up, but the program ended with ${rc}:\n${out}${err}")
  endif()
  return()
endif()

execute_process(COMMAND "${PROGRAM}" ${ARGS} TIMEOUT 30
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("exit status ${rc}\nstdout:\n${out}\nstderr:\n${err}")
if(NOT rc STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${rc}, expected ${STATUS}")
endif()

if(NOT STDOUT AND NOT out STREQUAL "")
  message(FATAL_ERROR "expected nothing on standard output")
endif()
foreach(text IN LISTS STDOUT)
  string(FIND "${out}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "standard output lacks '${text}'")
  endif()
endforeach()

if(NOT STDERR AND NOT err STREQUAL "")
  message(FATAL_ERROR "expected nothing on standard error")
endif()
if(STDERR)
  string(FIND "${err}" "${STDERR}" at)
  string(REGEX MATCHALL "\n" newlines "${err}")
  list(LENGTH newlines lines)
  if(at EQUAL -1 OR NOT lines EQUAL 1 OR NOT err MATCHES "\n$")
    message(FATAL_ERROR "expected one line on standard error with '${STDERR}'")
  endif()
endif()
