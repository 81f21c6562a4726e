# Runs "kep-engine split" on the staged root's data and checks the syllables it prints.
# Usage: cmake -DTOOL=<kep-engine> -DWORK=<scratch folder> -P split_check.cmake
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/home")

function(split expected)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env --unset=KEP_ROOT "HOME=${WORK}/home" "${TOOL}" split ${ARGN}
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "${expected}\n")
    message(FATAL_ERROR "kep-engine split ${ARGN}: exit ${rc}\nexpected: ${expected}\nstdout: ${out}\nstderr: ${err}")
  endif()
endfunction()

split("jinengxiouxian: ji'neng'xiu'xian (typed ji'neng'xiou'xian)" jinengxiouxian)
split("jinengxiouxian: ji'neng'xi'ou'xian" --exact jinengxiouxian)
# The shipped table of suggested splits is generated from the word list.
split("xian: xian (suggested xi'an)" xian)
split("fangan: fang'an (suggested fan'gan)" fangan)

execute_process(COMMAND ${CMAKE_COMMAND} -E env "HOME=${WORK}/home" "${TOOL}" split "'xian"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out)
if(NOT rc EQUAL 1 OR NOT out STREQUAL "'xian: cannot be split\n")
  message(FATAL_ERROR "a leading apostrophe: exit ${rc}, ${out}")
endif()
