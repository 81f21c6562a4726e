# Runs "kep-engine keys" where what it must write cannot be written, and checks that the loss
# is reported: a non-zero exit with the reason on standard error.
# Usage: cmake -DTOOL=<kep-engine> -DWORK=<scratch folder> -P failure_report_check.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# Types KEYS with HOME at WORK/<home> through "sh -c", after the shell line PREFIX; sets rc and err.
function(keys_in_shell home prefix)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=KEP_ROOT "HOME=${WORK}/${home}"
            sh -c "${prefix} exec \"$0\" keys \"$@\"" "${TOOL}" ${ARGN}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(rc "${rc}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
endfunction()

# The final save fails: a first run sets up the data folder, the second may not grow any file
# (as a full disk would refuse), so the phrase it learns cannot reach udb.lib.
keys_in_shell(full "" "zhongguo<space>")
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the first run failed: ${rc}\n${err}")
endif()
keys_in_shell(full "trap '' XFSZ; ulimit -f 0;" --delay-ms 300 "tashuai41")
if(rc EQUAL 0 OR NOT err MATCHES "kep-engine: the learned phrases were not saved: [^\n]*udb\\.lib: [^\n]+")
  message(FATAL_ERROR "a failed save was not reported: exit ${rc}\nstdout:\n${out}\nstderr:\n${err}")
endif()
if(NOT out MATCHES "commit: 她帅")
  message(FATAL_ERROR "the phrase to learn was not committed:\n${out}")
endif()

# Start-up fails (a damaged pinyin table in the data folder) and the log cannot be written
# (a folder stands where ime.log would be): the reason goes to standard error.
file(MAKE_DIRECTORY "${WORK}/nolog/Library/KEP/ime.log")
file(WRITE "${WORK}/nolog/Library/KEP/pinyin.db" "")
keys_in_shell(nolog "" "zhongguo<space>")
if(rc EQUAL 0 OR NOT err MATCHES "the engine did not start: Load py failed! \\(the log [^\n]*ime\\.log cannot be written\\)")
  message(FATAL_ERROR "a failed start did not name its reason: exit ${rc}\nstderr:\n${err}")
endif()
