# Runs "kep-engine keys" in the other input schemes: every shipped double-pinyin scheme, and
# code tables of both versions built by kep-codetable from a small source, in a fresh HOME.
# Usage: cmake -DTOOL=<kep-engine> -DCODETABLE=<kep-codetable> -P scheme_keys_check.cmake
execute_process(COMMAND mktemp -d RESULT_VARIABLE rc OUTPUT_VARIABLE home
                OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "mktemp -d failed")
endif()

function(run)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=KEP_ROOT "HOME=${home}" ${ARGN}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    file(REMOVE_RECURSE "${home}")
    message(FATAL_ERROR "${ARGN}: exit ${rc}\nstdout:\n${out}\nstderr:\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(fail what)
  file(REMOVE_RECURSE "${home}")
  message(FATAL_ERROR "${what}")
endfunction()

# Types `script` in `scheme`; sets `commits` (the "commit:" lines joined by "|") and `page`
# (the last page shown, "" when none).
function(keys scheme script)
  run("${TOOL}" keys --scheme "${scheme}" "${script}")
  string(REGEX MATCHALL "commit: [^\n]*" lines "${out}")
  list(TRANSFORM lines REPLACE "^commit: " "")
  list(JOIN lines "|" joined)
  set(commits "${joined}" PARENT_SCOPE)
  set(last "")
  if(out MATCHES "page: ([^\n]*)\n$")
    set(last "${CMAKE_MATCH_1}")
  endif()
  set(page "${last}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect_commits scheme script expected)
  keys("${scheme}" "${script}")
  if(NOT commits STREQUAL "${expected}")
    fail("keys --scheme ${scheme} '${script}' committed \"${commits}\", expected \"${expected}\"\n${out}")
  endif()
endfunction()

# Double pinyin: zhong guo in each shipped scheme's keys, a choice, and a key taken back.
foreach(case "ziranma:vsgo" "xiaohe:vsgo" "weiruan:vsgo" "ziguang:uhgo")
  string(REPLACE ":" ";" parts "${case}")
  list(GET parts 0 scheme)
  list(GET parts 1 zhongguo)
  expect_commits("double:${scheme}" "${zhongguo}<space>" "中国")
endforeach()
expect_commits("double:ziranma" "vsgo<bs><bs><space>" "中")
expect_commits("double:ziranma" "nihk<ret>" "nihk")
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=KEP_ROOT "HOME=${home}" "${TOOL}" keys
                        --scheme double:nosuchscheme "a"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "nosuchscheme.spc")
  fail("an unknown double-pinyin scheme: exit ${rc}\n${err}")
endif()

# Code tables: the same source in both versions. "*" is the wildcard.
file(WRITE "${home}/source.txt" "a x y\nb z\na w\n")
foreach(version 20 10)
  set(table "code:t${version}")
  run("${CODETABLE}" build "${home}/source.txt" "t${version}" --version ${version})

  keys("${table}" "a")
  if(NOT page MATCHES "^1\\.[wxy] 2\\.[wxy] 3\\.[wxy] \\(1/1\\)$" OR NOT page MATCHES "w"
     OR NOT page MATCHES "x" OR NOT page MATCHES "y")
    fail("version ${version}: code a shows \"${page}\"\n${out}")
  endif()
  expect_commits("${table}" "b<space>" "z")
  # The wildcard stands for any one key: every text of the table.
  keys("${table}" "*")
  foreach(text w x y z)
    if(NOT page MATCHES "${text}")
      fail("version ${version}: the wildcard shows \"${page}\"\n${out}")
    endif()
  endforeach()
  # No code: the keys are typed as pinyin instead.
  expect_commits("${table}" "zhongguo<space>" "中国")
  expect_commits("${table}" "ab<ret>" "ab")
endforeach()

# Version 20 counts what is chosen: the third text of "a", once chosen, comes first.
keys("code:t20" "a")
if(NOT page MATCHES "3\\.([^ ]*) ")
  fail("no third candidate for a: \"${page}\"")
endif()
set(third "${CMAKE_MATCH_1}")
expect_commits("code:t20" "a3" "${third}")
keys("code:t20" "a")
if(NOT page MATCHES "^1\\.${third} ")
  fail("the chosen text ${third} does not come first: \"${page}\"")
endif()
if(NOT EXISTS "${home}/Library/KEP/PlugCodeTable/t20.freq")
  fail("version 20 keeps no counters")
endif()

# A table named by a path is refused.
execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=KEP_ROOT "HOME=${home}" "${TOOL}" keys
                        --scheme "code:../t20" "a"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "unknown scheme")
  fail("a table named by a path: exit ${rc}\n${err}")
endif()

file(REMOVE_RECURSE "${home}")
