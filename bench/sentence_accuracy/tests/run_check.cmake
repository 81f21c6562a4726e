# The tool end to end on three sentences: it starts the staged service and the engine, scores
# every converter over all three, and refuses a set it cannot read.
#   cmake -DTOOL=... -DSET=... -P run_check.cmake
execute_process(COMMAND ${TOOL} ${SET} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "sentence_accuracy ended with ${rc}:\n${out}\n${err}")
endif()
foreach(converter service engine)
  if(NOT out MATCHES "(^|\n)${converter}: 3 sentences, 23 characters; character accuracy [0-9.]+%, exact sentences [0-3] ")
    message(FATAL_ERROR "no score for ${converter}:\n${out}")
  endif()
endforeach()
if(out MATCHES "not run|left out")
  message(FATAL_ERROR "a converter or a sentence was left out:\n${out}")
endif()

execute_process(COMMAND ${TOOL} ${SET}.missing RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "cannot read")
  message(FATAL_ERROR "a missing set was taken (${rc}): ${out}${err}")
endif()
