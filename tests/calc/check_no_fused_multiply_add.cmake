# Fails when the core, built for an FMA-capable target, contains a fused
# multiply-add: the exact prices depend on every product being rounded first.
#   cmake -DOBJDUMP=<objdump> -DOBJECTS=<object files> -P check_no_fused_multiply_add.cmake
foreach(object IN LISTS OBJECTS)
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${object}
                  OUTPUT_VARIABLE listing RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} could not read ${object}")
  endif()
  # VEX-encoded multiplies show that the object really is built for the FMA
  # target; without them an empty or baseline listing would pass unseen.
  if(NOT listing MATCHES "vmulsd")
    message(FATAL_ERROR "${object} holds no VEX-encoded multiply: not built with -mfma?")
  endif()
  string(REGEX MATCHALL "vfn?m(add|sub)[a-z0-9]*" fused "${listing}")
  if(fused)
    list(REMOVE_DUPLICATES fused)
    message(FATAL_ERROR "fused multiply-adds in ${object}: ${fused}")
  endif()
endforeach()
message(STATUS "no fused multiply-add in ${OBJECTS}")
