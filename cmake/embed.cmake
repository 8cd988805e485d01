# Embeds files in the program: each becomes the body of a C++ byte array (a
# comma-separated list of hexadecimal bytes, NAME.inc in the build tree),
# made at build time, to be included between the braces of an initialiser.
#
# Included, it gives the function that does this for a target's files:
#   tavilo_embed(TARGET FILE...)     # the .inc files on TARGET's include path
# Run as a script, it writes one such file:
#   cmake -DINPUT=file.bmp -DOUTPUT=file.inc -P embed.cmake
if(CMAKE_SCRIPT_MODE_FILE)
  file(READ "${INPUT}" hex HEX)
  string(LENGTH "${hex}" length)
  if(length EQUAL 0)
    message(FATAL_ERROR "embed: ${INPUT} is empty or missing")
  endif()
  # Sixteen bytes a line keeps the generated file readable in a debugger.
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," body "${hex}")
  string(REGEX REPLACE "((0x[0-9a-f][0-9a-f],){16})" "\\1\n" body "${body}")
  file(WRITE "${OUTPUT}.tmp" "${body}\n")
  file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
  file(REMOVE "${OUTPUT}.tmp")
  return()
endif()

function(tavilo_embed target)
  set(folder ${CMAKE_CURRENT_BINARY_DIR}/embedded)
  foreach(input IN LISTS ARGN)
    get_filename_component(name ${input} NAME_WE)
    set(output ${folder}/${name}.inc)
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${input} -DOUTPUT=${output} -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      DEPENDS ${input} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      COMMENT "Embedding ${name}"
      VERBATIM)
    target_sources(${target} PRIVATE ${output})
  endforeach()
  target_include_directories(${target} PRIVATE ${folder})
endfunction()
