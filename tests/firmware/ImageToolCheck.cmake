# vor-tool image against the demo image: inspect prints sums that match the header,
# and a damaged copy exits non-zero with the loader's reason.
# cmake -DTOOL=... -DIMAGE=... -DDESCRIPTION=... -DWORK=... -P ImageToolCheck.cmake

function(inspect file out_var rc_var err_var)
  execute_process(COMMAND ${TOOL} image inspect ${file}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  set(${out_var} "${out}" PARENT_SCOPE)
  set(${rc_var} "${rc}" PARENT_SCOPE)
  set(${err_var} "${err}" PARENT_SCOPE)
endfunction()

inspect(${IMAGE} out rc err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "inspect of the demo image failed (${rc}): ${err}")
endif()
foreach(section 1 2)
  if(NOT out MATCHES "Section${section} computed (0x[0-9A-F]+) stored (0x[0-9A-F]+)")
    message(FATAL_ERROR "no sum line for section ${section}:\n${out}")
  endif()
  if(NOT CMAKE_MATCH_1 STREQUAL CMAKE_MATCH_2)
    message(FATAL_ERROR "section ${section}: computed ${CMAKE_MATCH_1} but stored ${CMAKE_MATCH_2}")
  endif()
endforeach()
foreach(expected "ModelNumber 6865" "ImageVersion 1H" "MemorySize 512" "ImageRevision 3" "DeviceName VOR Watch DC"
                 "ModelName VOR" "Kind BothSections" "Section1BlockCount 300" "Section2BlockCount 200"
                 "Section2Argument 0x1234" "block 1.2 address 0x0008" "block 2.1 address 0x4000")
  string(FIND "${out}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "inspect does not show '${expected}':\n${out}")
  endif()
endforeach()
string(REGEX MATCHALL "\nblock [12]\\.[0-9]+ address 0x[0-9A-F]+ check 0x[0-9A-F][0-9A-F]" blocks "${out}")
list(LENGTH blocks count)
if(NOT count EQUAL 500)
  message(FATAL_ERROR "expected 500 block lines, got ${count}")
endif()

# Damaged copies: one record short, a partial record, a wrong section-1 sum.
set(damaged
  "--truncate|65631|file holds 501 records, the header needs 502"
  "--truncate|65700|ends in a partial record"
  "--corrupt-checksum|1|section 1 sum")
foreach(entry IN LISTS damaged)
  string(REPLACE "|" ";" case "${entry}")
  list(GET case 0 option)
  list(GET case 1 value)
  list(GET case 2 reason)
  set(copy ${WORK}/damaged.fwr)
  execute_process(COMMAND ${TOOL} image build ${DESCRIPTION} ${copy} ${option} ${value} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "could not build the damaged copy ${option} ${value}")
  endif()
  inspect(${copy} out rc err)
  if(rc EQUAL 0)
    message(FATAL_ERROR "inspect accepted the damaged copy ${option} ${value}")
  endif()
  string(FIND "${err}" "bad image: " at_prefix)
  string(FIND "${err}" "${reason}" at_reason)
  if(at_prefix EQUAL -1 OR at_reason EQUAL -1)
    message(FATAL_ERROR "${option} ${value}: expected reason '${reason}', got: ${err}")
  endif()
endforeach()
message(STATUS "vor-tool image inspect: demo image and damaged copies checked")
