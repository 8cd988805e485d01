# The committed artwork is what artgen makes: runs artgen into an empty
# folder and compares every file it writes with its committed counterpart,
# byte for byte.
#
#   cmake -DARTGEN=artgen -DSOURCE=source-tree -DWORK=scratch-folder -P artwork_output_test.cmake
cmake_minimum_required(VERSION 3.20)

file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}")
# Each folder artgen writes to, and where its files are committed.
set(outputs bitmaps icons page ico)
set(committed_bitmaps resources/bitmaps)
set(committed_icons packaging/icons)
set(committed_page platform/hosts/web/page)
set(committed_ico platform/hosts/win32)
execute_process(
  COMMAND "${ARTGEN}" "${WORK}/bitmaps" --icons "${WORK}/icons" --web "${WORK}/page" --ico "${WORK}/ico/tavilo.ico"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "artgen ended with ${status}")
endif()

set(different)
set(count 0)
foreach(output IN LISTS outputs)
  file(GLOB_RECURSE made RELATIVE "${WORK}/${output}" "${WORK}/${output}/*")
  if(NOT made)
    message(FATAL_ERROR "artgen wrote nothing into ${output}")
  endif()
  foreach(file IN LISTS made)
    set(kept "${SOURCE}/${committed_${output}}/${file}")
    math(EXPR count "${count} + 1")
    if(NOT EXISTS "${kept}")
      list(APPEND different "${committed_${output}}/${file} (not committed)")
      continue()
    endif()
    execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/${output}/${file}" "${kept}"
                    RESULT_VARIABLE same)
    if(NOT same EQUAL 0)
      list(APPEND different "${committed_${output}}/${file}")
    endif()
  endforeach()
endforeach()
if(different)
  list(JOIN different "\n  " different)
  message(FATAL_ERROR "Not what artgen makes (run it as README says, then look at the pictures):\n  ${different}")
endif()
file(REMOVE_RECURSE "${WORK}")
message(STATUS "All ${count} committed pictures are artgen's output")
