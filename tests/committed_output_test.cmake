# A generator's committed output is what it makes: runs the generator into
# an empty folder and compares every file it writes with its committed
# counterpart, byte for byte.
#
#   cmake -DNAME=artgen -DSOURCE=source-tree -DWORK=scratch-folder
#         -DOUTPUTS=bitmaps=resources/bitmaps,icons=packaging/icons
#         -P committed_output_test.cmake -- artgen @WORK@/bitmaps --icons @WORK@/icons
#
# OUTPUTS pairs each folder the generator writes (made empty under WORK
# before it runs) with the folder of the source tree its files are
# committed in; the generator's command line follows "--", with @WORK@
# standing for the scratch folder.
cmake_minimum_required(VERSION 3.20)

set(command)
set(after_dashes OFF)
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(i RANGE ${last})
  if(after_dashes)
    string(REPLACE "@WORK@" "${WORK}" argument "${CMAKE_ARGV${i}}")
    list(APPEND command "${argument}")
  elseif(CMAKE_ARGV${i} STREQUAL "--")
    set(after_dashes ON)
  endif()
endforeach()
string(REPLACE "," ";" outputs "${OUTPUTS}")
if(NOT command OR NOT outputs)
  message(FATAL_ERROR "committed_output_test: give -DOUTPUTS=... and the command after --")
endif()

file(REMOVE_RECURSE "${WORK}")
foreach(pair IN LISTS outputs)
  string(REGEX REPLACE "=.*" "" output "${pair}")
  file(MAKE_DIRECTORY "${WORK}/${output}")
endforeach()
execute_process(COMMAND ${command} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${NAME} ended with ${status}")
endif()

set(different)
set(count 0)
foreach(pair IN LISTS outputs)
  string(REGEX REPLACE "=.*" "" output "${pair}")
  string(REGEX REPLACE "^[^=]*=" "" committed "${pair}")
  file(GLOB_RECURSE made RELATIVE "${WORK}/${output}" "${WORK}/${output}/*")
  if(NOT made)
    message(FATAL_ERROR "${NAME} wrote nothing into ${output}")
  endif()
  foreach(file IN LISTS made)
    set(kept "${SOURCE}/${committed}/${file}")
    math(EXPR count "${count} + 1")
    if(NOT EXISTS "${kept}")
      list(APPEND different "${committed}/${file} (not committed)")
      continue()
    endif()
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/${output}/${file}" "${kept}"
                    RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
      list(APPEND different "${committed}/${file}")
    endif()
  endforeach()
endforeach()
if(different)
  list(JOIN different "\n  " different)
  message(FATAL_ERROR "Not what ${NAME} makes (run it as README says, then look at what changed):\n  ${different}")
endif()
file(REMOVE_RECURSE "${WORK}")
message(STATUS "All ${count} committed files are ${NAME}'s output")
