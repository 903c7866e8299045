# Writes OUTPUT: the bytes of INPUT as a comma-separated list of hexadecimal
# character constants, to be included inside the braces of a char array.
# Run with cmake -DINPUT=... -DOUTPUT=... -P embed_bytes.cmake
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
file(WRITE "${OUTPUT}.tmp" "// Generated from ${INPUT} by cmake/embed_bytes.cmake.\n${bytes}\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
