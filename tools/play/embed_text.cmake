# Writes a C++ source whose function NAME returns the bytes of INPUT: cmake -DINPUT=... -DOUTPUT=...
# -DNAME=... -P embed_text.cmake
file(READ ${INPUT} bytes HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${bytes}")
file(WRITE ${OUTPUT}.new
    "// Written at build time from ${INPUT}.\n#include <string_view>\n\n"
    "std::string_view ${NAME}() {\n    static constexpr char text[] = {${bytes}};\n"
    "    return {text, sizeof text};\n}\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
