# Helpers for the CTest scripts that run a built tool (cmake -P): run it and report a failure
# with everything it printed.

# kep_run_tool(ENV <VAR=value|--unset=VAR ...> ARGS <arguments...>) runs ${TOOL} in ${WORK} and
# sets rc, out and err in the caller's scope.
function(kep_run_tool)
  cmake_parse_arguments(ARG "" "" "ENV;ARGS" ${ARGN})
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env ${ARG_ENV} "${TOOL}" ${ARG_ARGS}
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

# Stops the check with `message` and the last run's exit code and output.
function(kep_check_fail message)
  message(FATAL_ERROR "${message}\nexit: ${rc}\nstdout:\n${out}\nstderr:\n${err}")
endfunction()
