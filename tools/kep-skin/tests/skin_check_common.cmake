# What the kep-skin check scripts share: the fixture skins written afresh, kep-skin run with an
# expected exit status, and a line looked for in its output.
# Needs -DKEP_SKIN=... -DMAKE_FIXTURES=... -DWORK_DIR=...
file(REMOVE_RECURSE "${WORK_DIR}")
execute_process(COMMAND "${MAKE_FIXTURES}" "${WORK_DIR}/skins" RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "fixtures not written: ${status}")
endif()

function(run_skin expected_status output_variable)
  execute_process(COMMAND "${KEP_SKIN}" ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "kep-skin ${ARGN}: status ${status}, expected ${expected_status}\n${output}${errors}")
  endif()
  set(${output_variable} "${output}${errors}" PARENT_SCOPE)
endfunction()

function(expect_line text line)
  string(FIND "${text}" "${line}\n" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "missing line '${line}' in:\n${text}")
  endif()
endfunction()
