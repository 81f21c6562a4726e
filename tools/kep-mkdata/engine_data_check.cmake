# Starts the engine on the generated data of the staged root and queries it through kep-engine.
# Usage: cmake -DTOOL=<kep-engine> -DWORK=<scratch folder> -P engine_data_check.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/home/Library/KEP")
# DEBUG lines, which report each loaded step, are written only with this marker present.
file(WRITE "${WORK}/home/Library/KEP/debug_1" "")

function(run_tool)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=KEP_ROOT "HOME=${WORK}/home" "${TOOL}" ${ARGN}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "kep-engine ${ARGN} failed (${rc})\nstdout:\n${out}\nstderr:\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect text what)
  string(FIND "${out}" "${text}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${what}: \"${text}\" not in\n${out}")
  endif()
endfunction()

# The first start creates the per-user files, the second finds them.
foreach(round first second)
  run_tool(init)
  foreach(step ">Pinyin table loaded." ">Pinyin extension table loaded." ">User phrase db loaded."
               ">Punct. table loaded."
               ">Freq. information loaded." "KEP initialize successed." "ime_init() = 0")
    expect("${step}" "${round} start")
  endforeach()
endforeach()
file(SIZE "${WORK}/home/Library/KEP/hzfreq.db" counters)
if(NOT counters EQUAL 960000)
  message(FATAL_ERROR "hzfreq.db holds ${counters} bytes")
endif()

run_tool(query-py zhong)
string(FIND "${out}" "中\tzhong\t" at)
if(NOT at EQUAL 0)
  message(FATAL_ERROR "query-py zhong does not list 中 first:\n${out}")
endif()

run_tool(query-py j)
expect("\n几\tji\t" "query-py j")
expect("就\tjiu\t" "query-py j")

run_tool(hz 行)
expect("xing2" "hz 行")
expect("hang2" "hz 行")

# Phrases of the merged phrase database: one phrase covers what words alone compose wrongly
# (是一个 rather than 十一 + 个), and words the word source lacks are found.
foreach(case "shiyigechengxu<space>=是一个程序" "miaoshufu<space>=描述符" "caozuobuzhichi<space>=操作不支持")
  string(REPLACE "=" ";" parts "${case}")
  list(GET parts 0 keys)
  list(GET parts 1 expected)
  run_tool(keys "${keys}")
  string(REGEX MATCHALL "commit: [^\n]*" commits "${out}")
  if(NOT commits STREQUAL "commit: ${expected}")
    message(FATAL_ERROR "kep-engine keys '${keys}' committed \"${commits}\", expected \"${expected}\"\n${out}")
  endif()
endforeach()
