# Round trip of one sample definition through tlvdef (run by CTest):
#   build SAMPLE -> a.tlv, dump a.tlv -> a.txt (must equal SAMPLE),
#   build a.txt -> b.tlv (must equal a.tlv).
# Variables: TLVDEF, DICTIONARY, SAMPLE, WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run)
  execute_process(COMMAND ${TLVDEF} --dict ${DICTIONARY} ${ARGN}
    RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "tlvdef ${ARGN} failed (${rc}): ${err}")
  endif()
endfunction()

run(build ${SAMPLE} -o ${WORK}/a.tlv)
execute_process(COMMAND ${TLVDEF} --dict ${DICTIONARY} dump ${WORK}/a.tlv
  OUTPUT_FILE ${WORK}/a.txt RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "tlvdef dump failed (${rc}): ${err}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${SAMPLE} ${WORK}/a.txt
  RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "${SAMPLE} is not the text form tlvdef writes for it; "
    "compare with ${WORK}/a.txt (regenerate the sample with tlvdef dump)")
endif()
run(build ${WORK}/a.txt -o ${WORK}/b.tlv)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/a.tlv ${WORK}/b.tlv
  RESULT_VARIABLE same)
if(NOT same EQUAL 0)
  message(FATAL_ERROR "building the dumped text of ${SAMPLE} gives other bytes")
endif()
