# Runs kep-imk-client without a server and with bad arguments and checks what it reports.
# Usage: cmake -DTOOL=<kep-imk-client> -DWORK=<scratch folder> -P usage_check.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/ToolCheck.cmake)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/run")
file(CHMOD "${WORK}/run" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
set(runtime "KEP_RUNTIME_DIR=${WORK}/run")

# Nobody serves the name: a clear error, exit 1, nothing on standard output.
kep_run_tool(ENV "${runtime}" ARGS --connection NobodyServesThis nihao)
if(NOT rc EQUAL 1)
  kep_check_fail("a missing server did not exit 1")
endif()
string(FIND "${err}" "no input method serves \"NobodyServesThis\"" at)
if(at EQUAL -1 OR NOT out STREQUAL "")
  kep_check_fail("a missing server was not reported as such")
endif()

# The default connection name is the server's.
kep_run_tool(ENV "${runtime}" ARGS ni)
string(FIND "${err}" "\"KEPInputConnectionName\"" at)
if(NOT rc EQUAL 1 OR at EQUAL -1)
  kep_check_fail("the default connection name is not KEPInputConnectionName")
endif()

# Usage errors exit 2 with the usage line or the script's fault, before connecting.
foreach(arguments "" "--word-width;16;ni" "--connection" "ni;hao" "--frobnicate;ni")
  kep_run_tool(ENV "${runtime}" ARGS ${arguments})
  string(FIND "${err}" "usage: kep-imk-client" at)
  if(NOT rc EQUAL 2 OR at EQUAL -1)
    kep_check_fail("arguments \"${arguments}\" did not give the usage")
  endif()
endforeach()
kep_run_tool(ENV "${runtime}" ARGS "ni<nope>")
string(FIND "${err}" "unknown key <nope>" at)
if(NOT rc EQUAL 2 OR at EQUAL -1)
  kep_check_fail("an unknown key name was not refused")
endif()

# Gestures and --menu are taken: the script is accepted and only the missing server stops it.
kep_run_tool(ENV "${runtime}" ARGS --connection NobodyServesThis --menu
             "<shift-tap><lshift><rshift><ctrl-tap><caps-on><caps-off><F5><opt-1><menu:1010><activate><deactivate><deactivate:com.example.abc><wait:1>")
string(FIND "${err}" "no input method serves" at)
if(NOT rc EQUAL 1 OR at EQUAL -1)
  kep_check_fail("a script of every gesture with --menu was not accepted")
endif()
kep_run_tool(ENV "${runtime}" ARGS --menu)
string(FIND "${err}" "[--menu] SCRIPT" at)
string(FIND "${err}" "<wait:MS>" wait_at)
if(NOT rc EQUAL 2 OR at EQUAL -1 OR wait_at EQUAL -1)
  kep_check_fail("the usage does not name --menu and <wait:MS>")
endif()
foreach(bad "<menu:tag>" "<shift-tapp>" "<wait:0>" "<wait:600001>" "<wait:soon>")
  kep_run_tool(ENV "${runtime}" ARGS "ni${bad}")
  if(NOT rc EQUAL 2)
    kep_check_fail("the bad gesture ${bad} was not refused")
  endif()
endforeach()
