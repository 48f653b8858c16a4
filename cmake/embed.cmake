# Turns a binary file into a C++ source defining an unsigned char array and its size.
# Usage: cmake -DINPUT=file -DOUTPUT=file.cpp -DNAME=symbol -P embed.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n" bytes "${bytes}")
file(WRITE ${OUTPUT} "// Generated from ${INPUT}; do not edit.\n"
  "extern const unsigned char ${NAME}[] = {\n${bytes}\n};\n"
  "extern const unsigned long ${NAME}_size = ${size};\n")
