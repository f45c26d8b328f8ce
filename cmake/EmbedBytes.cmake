# Writes OUTPUT, a C++ source that defines the bytes of INPUT as <NAME>Bytes (a uint8_t array)
# and their count as <NAME>Size, as the header HEADER declares them. Run with cmake -P.
file(READ ${INPUT} HEX_BYTES HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," BYTE_LIST "${HEX_BYTES}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" BYTE_LIST "${BYTE_LIST}")
file(WRITE ${OUTPUT}
  "// Made by the build from ${INPUT}.\n#include \"${HEADER}\"\n\n"
  "const uint8_t ${NAME}Bytes[] = {\n${BYTE_LIST}\n};\n"
  "const size_t ${NAME}Size = sizeof(${NAME}Bytes);\n")
