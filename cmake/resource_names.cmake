# Writes OUTPUT: one `{"NAME", NAME},` line per #define of INPUT (res/resource.h),
# the table through which the window driver accepts resource names.
# Run with cmake -DINPUT=... -DOUTPUT=... -P resource_names.cmake
file(STRINGS "${INPUT}" defines REGEX "^#define[ \t]+[A-Za-z_][A-Za-z0-9_]*[ \t]+[0-9]+")
set(table "// Generated from ${INPUT} by cmake/resource_names.cmake.\n")
foreach(line IN LISTS defines)
    string(REGEX REPLACE "^#define[ \t]+([A-Za-z_][A-Za-z0-9_]*).*" "\\1" name "${line}")
    string(APPEND table "{\"${name}\", ${name}},\n")
endforeach()
file(WRITE "${OUTPUT}.tmp" "${table}")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
