# Runs "kep-engine paths" with a fresh HOME and with unusable ones and checks what it reports.
# Usage: cmake -DTOOL=<kep-engine> -DWORK=<scratch folder> -P paths_check.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/ToolCheck.cmake)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")

# The tool runs in WORK (so a relative HOME would land there) without KEP_ROOT, so it uses the
# staged root beside it.

# A fresh home: the data folder is created with its parents and every resource is listed.
kep_run_tool(ENV --unset=KEP_ROOT "HOME=${WORK}/home" ARGS paths)
if(NOT rc EQUAL 0)
  kep_check_fail("paths failed with a usable HOME")
endif()
string(FIND "${out}" "data folder: ${WORK}/home/Library/KEP\n" at)
if(NOT at EQUAL 0)
  kep_check_fail("the data folder is not reported first")
endif()
if(NOT IS_DIRECTORY "${WORK}/home/Library/KEP")
  kep_check_fail("the data folder was not created")
endif()
foreach(name pinyin.db pinyin2.db fzm.db punct.def !hzdb.db !hzdb.info !system.dict imkkep.plist
             vmode.txt abbr.txt)
  string(FIND "${out}" "\n${name}: /" at)
  if(at EQUAL -1)
    kep_check_fail("no line for ${name}")
  endif()
endforeach()
string(REGEX MATCH "\nimkkep.plist: [^\n]*/Contents/Resources/imkkep.plist\n" shipped "${out}")
if(NOT shipped)
  kep_check_fail("the shipped settings file is not found in the staged root")
endif()

# Unusable homes are refused with a message, and nothing is created for them.
foreach(home_case "--unset=HOME;HOME is not set" "HOME=;HOME is empty"
                  "HOME=relative/home;is not an absolute path")
  list(GET home_case 0 env)
  list(GET home_case 1 text)
  kep_run_tool(ENV --unset=KEP_ROOT "${env}" ARGS paths)
  if(NOT rc EQUAL 1)
    kep_check_fail("paths with ${env} did not exit 1")
  endif()
  string(FIND "${err}" "${text}" at)
  if(at EQUAL -1)
    kep_check_fail("paths with ${env} did not say \"${text}\"")
  endif()
endforeach()
if(EXISTS "${WORK}/relative" OR EXISTS "${WORK}/Library")
  kep_check_fail("a refused HOME still created a folder")
endif()

kep_run_tool(ENV --unset=KEP_ROOT "HOME=${WORK}/home" ARGS no-such-subcommand)
if(NOT rc EQUAL 2)
  kep_check_fail("an unknown subcommand did not exit 2")
endif()
string(FIND "${err}" "usage: kep-engine" at)
if(at EQUAL -1)
  kep_check_fail("an unknown subcommand printed no usage")
endif()
