# Runs a validator and fails on a non-zero exit or on any warning or hint it
# prints: desktop-file-validate exits 0 on warnings, so its silence is the pass.
#   cmake -DCOMMAND="prog;arg;..." -P check_quiet.cmake
execute_process(COMMAND ${COMMAND}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
message("${out}")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "validator exited with ${rc}")
endif()
string(STRIP "${out}" out)
if(NOT out STREQUAL "")
  message(FATAL_ERROR "validator reported issues")
endif()
