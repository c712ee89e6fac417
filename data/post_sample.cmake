# Posts a sample tool path with a shipped definition, the way a user runs
# TLVP: a fresh folder holding a copy of the tool path (TLVP deletes its
# input when done) and of its procedure parameter file, a settings file of
# its own (job slot 1: the definition and the NC output; no run dialog, no
# completion box, empty lines dropped), and TLV_UI=tty.
#
# Variables: TLVP, DICTIONARY, DEFINITION, TOOLPATH (the sample; a .xml of
# the same base name beside it is copied too when present), WORK (the folder,
# emptied first).  Optional: EXPECTED, an NC file the output must equal byte
# for byte; when a process sheet <name>.csv lies beside EXPECTED
# (<name>.expected.nc), the one process-sheet file of the run (*.csv in WORK)
# must equal it byte for byte too.  The NC program is WORK/<base name>.nc;
# standard output of TLVP goes to WORK/stdout.txt and the run log to
# WORK/TOLvek.log.
foreach(var TLVP DICTIONARY DEFINITION TOOLPATH WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "post_sample.cmake needs -D${var}=...")
  endif()
endforeach()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
get_filename_component(tool_path_name ${TOOLPATH} NAME)
get_filename_component(base ${TOOLPATH} NAME_WE)
get_filename_component(sample_dir ${TOOLPATH} DIRECTORY)
file(COPY ${TOOLPATH} DESTINATION ${WORK})
if(EXISTS ${sample_dir}/${base}.xml)
  file(COPY ${sample_dir}/${base}.xml DESTINATION ${WORK})
endif()

set(nc ${WORK}/${base}.nc)
set(log ${WORK}/TOLvek.log)
set(registry ${WORK}/registry.reg)
file(WRITE ${registry} "Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV]
\"TLVLog\"=\"${log}\"
\"TLVIni\"=\"${DICTIONARY}\"
\"SavePath\"=\"${WORK}/\"
\"DontShowExecDlg\"=dword:00000001
\"PrmShowCompleteMsg\"=dword:00000000
\"PrmDeleteNullLine\"=dword:00000001
\"PrmInputBeforeRun\"=dword:00000000

[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet1]
\"Name\"=\"MC3AXIS\"
\"Validate\"=dword:00000001
\"TLVDataFile\"=\"${DEFINITION}\"
\"OutDataFile\"=\"${nc}\"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet2]
\"Validate\"=dword:00000000

[HKEY_LOCAL_MACHINE\\SOFTWARE\\KESTRA\\TLV\\PSet3]
\"Validate\"=dword:00000000
")

execute_process(
  COMMAND ${CMAKE_COMMAND} -E env TLV_REGISTRY=${registry} TLV_UI=tty
          ${TLVP} ${WORK}/${tool_path_name}
  WORKING_DIRECTORY ${WORK}
  INPUT_FILE /dev/null
  OUTPUT_FILE ${WORK}/stdout.txt
  ERROR_VARIABLE err
  RESULT_VARIABLE rc)
file(READ ${WORK}/stdout.txt out)
if(NOT rc EQUAL 0 OR NOT EXISTS ${nc})
  message(FATAL_ERROR "TLVP did not post ${TOOLPATH} (status ${rc}):\n${out}${err}")
endif()

if(DEFINED EXPECTED)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${EXPECTED} ${nc}
    RESULT_VARIABLE same)
  if(NOT same EQUAL 0)
    execute_process(COMMAND diff -u ${EXPECTED} ${nc} OUTPUT_VARIABLE diff)
    message(FATAL_ERROR "${nc} differs from ${EXPECTED}:\n${diff}")
  endif()
  # The process sheet: the post names it after the NC program plus its
  # extension, so look for the one CSV the run left rather than guess.
  string(REGEX REPLACE "\\.nc$" ".csv" expected_sheet ${EXPECTED})
  if(NOT expected_sheet STREQUAL EXPECTED AND EXISTS ${expected_sheet})
    file(GLOB sheets ${WORK}/*.csv)
    list(LENGTH sheets sheet_count)
    if(NOT sheet_count EQUAL 1)
      message(FATAL_ERROR "expected one process sheet (*.csv) in ${WORK}, found ${sheet_count}: ${sheets}")
    endif()
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${expected_sheet} ${sheets}
      RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
      execute_process(COMMAND diff -u ${expected_sheet} ${sheets} OUTPUT_VARIABLE diff)
      message(FATAL_ERROR "${sheets} differs from ${expected_sheet}:\n${diff}")
    endif()
  endif()
  # The procedure parameters beside the tool path were found and read.
  if(EXISTS ${sample_dir}/${base}.xml)
    file(READ ${log} log_text)
    string(FIND "${log_text}" "ＸＭＬファイル読込ＯＫ。" found)
    if(found EQUAL -1)
      message(FATAL_ERROR "the run log does not report the procedure parameter file read:\n${log_text}")
    endif()
  endif()
endif()
