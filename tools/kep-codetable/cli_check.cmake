# Builds a tiny code table in both versions with "kep-codetable build" and asks it with
# "kep-codetable query": exact codes, the wildcard, a miss, and a refused source.
# Usage: cmake -DTOOL=<kep-codetable> -DWORK=<scratch folder> -P cli_check.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/home")
file(WRITE "${WORK}/source.txt" "a x y\nb z\na w\n")
file(WRITE "${WORK}/quoted.txt" "a x\nb'c y\n")

function(run_tool)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env "HOME=${WORK}/home" "${TOOL}" ${ARGN}
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(fail message)
  message(FATAL_ERROR "${message}\nexit: ${rc}\nstdout:\n${out}\nstderr:\n${err}")
endfunction()

set(tables "${WORK}/home/Library/KEP/PlugCodeTable")
foreach(version 20 10)
  set(name "tiny${version}")
  run_tool(build "${WORK}/source.txt" ${name} --version ${version})
  if(NOT rc EQUAL 0)
    fail("build of version ${version} failed")
  endif()
  foreach(ext qdb idx pct)
    if(NOT EXISTS "${tables}/${name}.${ext}")
      fail("build of version ${version} wrote no ${name}.${ext}")
    endif()
  endforeach()
  file(READ "${tables}/${name}.pct" scheme)
  if(NOT scheme STREQUAL "1|*|0|0|0|0|a-z|a-z")
    fail("unexpected scheme line \"${scheme}\"")
  endif()

  # Code a: its three texts, and no text of code b.
  run_tool(query ${name} a)
  if(NOT rc EQUAL 0)
    fail("query a on version ${version} failed")
  endif()
  foreach(text x y w)
    if(NOT out MATCHES "(^|\n)${text}\ta\t")
      fail("query a on version ${version} misses ${text}")
    endif()
  endforeach()
  if(out MATCHES "z\t")
    fail("query a on version ${version} answered code b")
  endif()

  # The wildcard stands for any one key.
  run_tool(query ${name} "*")
  string(REGEX MATCHALL "[^\n]+\n" lines "${out}")
  list(LENGTH lines count)
  if(NOT rc EQUAL 0 OR NOT count EQUAL 4 OR NOT out MATCHES "z\tb\t")
    fail("the wildcard on version ${version} did not answer all four texts")
  endif()

  run_tool(query ${name} c)
  if(NOT rc EQUAL 3)
    fail("a code of no text on version ${version} did not exit 3")
  endif()
endforeach()

# A code with a single quote stops a version-20 build, and nothing is installed.
run_tool(build "${WORK}/quoted.txt" quoted)
if(NOT rc EQUAL 1 OR NOT err MATCHES "Insert 'b'c' to plug index failed!")
  fail("a quoted code did not stop the build")
endif()
if(EXISTS "${tables}/quoted.qdb" OR EXISTS "${tables}/quoted.idx")
  fail("a failed build left files behind")
endif()
