# Turns one file into the body of a C++ byte array: a comma-separated list of
# hexadecimal bytes, to be included between the braces of an initialiser.
#   cmake -DINPUT=file.bmp -DOUTPUT=file.inc -P embed.cmake
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
