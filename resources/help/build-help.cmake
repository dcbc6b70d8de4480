# Builds help.chm: the sources are kept in UTF-8, while CHM viewers read a
# Russian help file's contents and index in Windows-1251, so every text file
# is converted into a staging folder before chmcmd compiles it.
#   cmake -DSOURCE_DIR=... -DSTAGE_DIR=... -DOUTPUT=... -DCHMCMD=... -P build-help.cmake
file(REMOVE_RECURSE "${STAGE_DIR}")
file(MAKE_DIRECTORY "${STAGE_DIR}")
file(GLOB sources RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.html" "${SOURCE_DIR}/*.hhc"
     "${SOURCE_DIR}/*.hhk" "${SOURCE_DIR}/*.hhp" "${SOURCE_DIR}/*.css")
foreach(name ${sources})
  execute_process(COMMAND iconv -f UTF-8 -t WINDOWS-1251 "${SOURCE_DIR}/${name}"
                  OUTPUT_VARIABLE text RESULT_VARIABLE rc ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "help/${name}: not convertible to Windows-1251: ${err}")
  endif()
  string(REPLACE "charset=utf-8" "charset=windows-1251" text "${text}")
  file(WRITE "${STAGE_DIR}/${name}" "${text}")
endforeach()
execute_process(COMMAND "${CHMCMD}" --no-html-scan --verbosity 0 help.hhp
                WORKING_DIRECTORY "${STAGE_DIR}" RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR NOT EXISTS "${STAGE_DIR}/help.chm")
  message(FATAL_ERROR "chmcmd failed (${rc}):\n${out}")
endif()
file(READ "${STAGE_DIR}/help.chm" signature LIMIT 4 HEX)
if(NOT signature STREQUAL "49545346")
  message(FATAL_ERROR "chmcmd wrote no CHM file")
endif()
file(COPY_FILE "${STAGE_DIR}/help.chm" "${OUTPUT}")
