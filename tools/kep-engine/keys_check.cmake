# Runs "kep-engine keys" on the staged root's data and checks what it commits and learns.
# Usage: cmake -DTOOL=<kep-engine> -DWORK=<scratch folder> -P keys_check.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# Types ARGS with HOME at WORK/<home>; sets rc and out.
function(keys home)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=KEP_ROOT "HOME=${WORK}/${home}" "${TOOL}" keys ${ARGN}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "kep-engine keys ${ARGN}: exit ${rc}\nstdout:\n${out}\nstderr:\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

# The "commit:" lines of the output, joined by "|".
function(commits_of output result)
  string(REGEX MATCHALL "commit: [^\n]*" lines "${output}")
  list(TRANSFORM lines REPLACE "^commit: " "")
  list(JOIN lines "|" joined)
  set(${result} "${joined}" PARENT_SCOPE)
endfunction()

function(expect_commits home script expected)
  keys(${home} ${ARGN} "${script}")
  commits_of("${out}" got)
  if(NOT got STREQUAL "${expected}")
    message(FATAL_ERROR "kep-engine keys ${ARGN} '${script}' committed \"${got}\", "
                        "expected \"${expected}\"\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

expect_commits(plain "zhongguo<space>" "中国")
expect_commits(plain "nihao," "你好|，")
expect_commits(plain "i2008n<space>" "二〇〇八年")
# A whole sentence, composed from the phrases it holds, not one character.
expect_commits(plain "womenshizhongguoren<space>" "我们是中国人")
expect_commits(plain "\"zhongguo\"" "“|中国|”")
expect_commits(plain "guojia<space>" "國家" --traditional)

# Every key shows the marked text and the page.
keys(plain "zhongguo")
string(REGEX MATCHALL "marked: [^\n]*" marked "${out}")
list(LENGTH marked shown)
if(NOT shown EQUAL 8 OR NOT out MATCHES "marked: zhong'guo\npage: 1\\.中国 2\\.[^\n]*\\(1/[0-9]+\\)\n$")
  message(FATAL_ERROR "the marked text and page after each key:\n${out}")
endif()

# Learning: 她 (fourth) then 帅 commits a phrase no dictionary offers. Typed with pauses it is
# learned into udb.lib and offered first; typed in a burst nothing is learned.
expect_commits(paused "tashuai41" "她帅" --delay-ms 300)
file(READ "${WORK}/paused/Library/KEP/udb.lib" udb)
if(NOT udb MATCHES "她帅")
  message(FATAL_ERROR "with pauses the phrase was not learned:\n${udb}")
endif()
keys(paused "tashuai")
if(NOT out MATCHES "page: 1\\.她帅 [^\n]*\n$")
  message(FATAL_ERROR "the learned phrase does not come first:\n${out}")
endif()

expect_commits(burst "tashuai41" "她帅")
file(READ "${WORK}/burst/Library/KEP/udb.lib" udb)
if(udb MATCHES "她帅")
  message(FATAL_ERROR "typed in a burst, the phrase was learned:\n${udb}")
endif()

# A key script the driver cannot type is refused before the engine starts.
execute_process(COMMAND ${CMAKE_COMMAND} -E env "HOME=${WORK}/plain" "${TOOL}" keys "zhong<nokey>"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 2 OR NOT err MATCHES "unknown key <nokey>")
  message(FATAL_ERROR "an unknown key: exit ${rc}\n${err}")
endif()
