# Builds a tiny code table in both versions with "kep-codetable build" and asks it with
# "kep-codetable query": exact codes, the wildcard, a miss, and a refused source.
# Usage: cmake -DTOOL=<kep-codetable> -DWORK=<scratch folder> -P cli_check.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/ToolCheck.cmake)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/home")
file(WRITE "${WORK}/source.txt" "a x y\nb z\na w\n")
file(WRITE "${WORK}/quoted.txt" "a x\nb'c y\n")

set(tables "${WORK}/home/Library/KEP/PlugCodeTable")
foreach(version 20 10)
  set(name "tiny${version}")
  kep_run_tool(ENV "HOME=${WORK}/home" ARGS build "${WORK}/source.txt" ${name} --version ${version})
  if(NOT rc EQUAL 0)
    kep_check_fail("build of version ${version} failed")
  endif()
  foreach(ext qdb idx pct)
    if(NOT EXISTS "${tables}/${name}.${ext}")
      kep_check_fail("build of version ${version} wrote no ${name}.${ext}")
    endif()
  endforeach()
  file(READ "${tables}/${name}.pct" scheme)
  if(NOT scheme STREQUAL "1|*|0|0|0|0|a-z|a-z")
    kep_check_fail("unexpected scheme line \"${scheme}\"")
  endif()

  # Code a: its three texts, and no text of code b.
  kep_run_tool(ENV "HOME=${WORK}/home" ARGS query ${name} a)
  if(NOT rc EQUAL 0)
    kep_check_fail("query a on version ${version} failed")
  endif()
  foreach(text x y w)
    if(NOT out MATCHES "(^|\n)${text}\ta\t")
      kep_check_fail("query a on version ${version} misses ${text}")
    endif()
  endforeach()
  if(out MATCHES "z\t")
    kep_check_fail("query a on version ${version} answered code b")
  endif()

  # The wildcard stands for any one key.
  kep_run_tool(ENV "HOME=${WORK}/home" ARGS query ${name} "*")
  string(REGEX MATCHALL "[^\n]+\n" lines "${out}")
  list(LENGTH lines count)
  if(NOT rc EQUAL 0 OR NOT count EQUAL 4 OR NOT out MATCHES "z\tb\t")
    kep_check_fail("the wildcard on version ${version} did not answer all four texts")
  endif()

  kep_run_tool(ENV "HOME=${WORK}/home" ARGS query ${name} c)
  if(NOT rc EQUAL 3)
    kep_check_fail("a code of no text on version ${version} did not exit 3")
  endif()
endforeach()

# A code with a single quote stops a version-20 build, and nothing is installed.
kep_run_tool(ENV "HOME=${WORK}/home" ARGS build "${WORK}/quoted.txt" quoted)
if(NOT rc EQUAL 1 OR NOT err MATCHES "Insert 'b'c' to plug index failed!")
  kep_check_fail("a quoted code did not stop the build")
endif()
if(EXISTS "${tables}/quoted.qdb" OR EXISTS "${tables}/quoted.idx")
  kep_check_fail("a failed build left files behind")
endif()
