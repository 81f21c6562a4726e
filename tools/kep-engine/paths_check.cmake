# Runs "kep-engine paths" with a fresh HOME and with unusable ones and checks what it reports.
# Usage: cmake -DTOOL=<kep-engine> -DWORK=<scratch folder> -P paths_check.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# Runs the tool in WORK (so a relative HOME would land there) without KEP_ROOT, so it uses the
# staged root beside it.
function(run_tool)
  cmake_parse_arguments(ARG "" "" "ENV;ARGS" ${ARGN})
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=KEP_ROOT ${ARG_ENV} "${TOOL}" ${ARG_ARGS}
    WORKING_DIRECTORY "${WORK}"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(rc "${rc}" PARENT_SCOPE)
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(fail message)
  message(FATAL_ERROR "${message}\nexit: ${rc}\nstdout:\n${out}\nstderr:\n${err}")
endfunction()

# A fresh home: the data folder is created with its parents and every resource is listed.
run_tool(ENV "HOME=${WORK}/home" ARGS paths)
if(NOT rc EQUAL 0)
  fail("paths failed with a usable HOME")
endif()
string(FIND "${out}" "data folder: ${WORK}/home/Library/KEP\n" at)
if(NOT at EQUAL 0)
  fail("the data folder is not reported first")
endif()
if(NOT IS_DIRECTORY "${WORK}/home/Library/KEP")
  fail("the data folder was not created")
endif()
foreach(name pinyin.db pinyin2.db fzm.db punct.def !hzdb.db !hzdb.info !system.dict imkkep.plist
             vmode.txt abbr.txt)
  string(FIND "${out}" "\n${name}: /" at)
  if(at EQUAL -1)
    fail("no line for ${name}")
  endif()
endforeach()
string(REGEX MATCH "\nimkkep.plist: [^\n]*/Contents/Resources/imkkep.plist\n" shipped "${out}")
if(NOT shipped)
  fail("the shipped settings file is not found in the staged root")
endif()

# Unusable homes are refused with a message, and nothing is created for them.
foreach(home_case "--unset=HOME;HOME is not set" "HOME=;HOME is empty"
                  "HOME=relative/home;is not an absolute path")
  list(GET home_case 0 env)
  list(GET home_case 1 text)
  run_tool(ENV "${env}" ARGS paths)
  if(NOT rc EQUAL 1)
    fail("paths with ${env} did not exit 1")
  endif()
  string(FIND "${err}" "${text}" at)
  if(at EQUAL -1)
    fail("paths with ${env} did not say \"${text}\"")
  endif()
endforeach()
if(EXISTS "${WORK}/relative" OR EXISTS "${WORK}/Library")
  fail("a refused HOME still created a folder")
endif()

run_tool(ENV "HOME=${WORK}/home" ARGS no-such-subcommand)
if(NOT rc EQUAL 2)
  fail("an unknown subcommand did not exit 2")
endif()
string(FIND "${err}" "usage: kep-engine" at)
if(at EQUAL -1)
  fail("an unknown subcommand printed no usage")
endif()
