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
  # coreutils' timeout ends the program itself: execute_process(TIMEOUT) stops
  # waiting but leaves the child running on CMake 3.31. The shell writes the
  # program's process id before it becomes the program, so that the check
  # below can see that nothing was left behind.
  set(pid_file "${CMAKE_CURRENT_BINARY_DIR}/command_line_running.pid")
  file(REMOVE "${pid_file}")
  execute_process(COMMAND timeout --kill-after=5 3
                          sh -c "echo $$ >\"$0\" && exec \"$@\"" "${pid_file}" "${PROGRAM}" ${ARGS}
                  TIMEOUT 30 RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  # 124: ended by timeout's TERM; 137: it had to KILL.
  if(NOT rc MATCHES "^(124|137)$")
    message(FATAL_ERROR "expected the window to stay up, but the program ended with ${rc}:\n${out}${err}")
  endif()
  file(READ "${pid_file}" pid)
  string(STRIP "${pid}" pid)
  if(NOT pid MATCHES "^[0-9]+$")
    message(FATAL_ERROR "no process id recorded for the program")
  endif()
  if(EXISTS "/proc/${pid}")
    file(READ "/proc/${pid}/cmdline" left)
    string(FIND "${left}" "${PROGRAM}" at)
    if(NOT at EQUAL -1)
      execute_process(COMMAND kill -KILL ${pid})
      message(FATAL_ERROR "the program (process ${pid}) is still running after the check")
    endif()
  endif()
  return()
endif()

# A program that hangs is ended by timeout, not merely left behind.
execute_process(COMMAND timeout --kill-after=5 30 "${PROGRAM}" ${ARGS} TIMEOUT 60
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
