# Writes the SWIG-generated tessaly.py into a C++ source as one string, so that the program
# carries the proxy layer that belongs to its own native half.
# Usage: cmake -DINPUT=tessaly.py -DOUTPUT=TessalyProxySource.cpp -P EmbedProxy.cmake
file(READ ${INPUT} proxy)
string(FIND "${proxy}" ")tessaly_proxy\"" clash)
if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${INPUT} contains the raw string's closing delimiter")
endif()
file(WRITE ${OUTPUT}.tmp
    "// Generated from tessaly.py by EmbedProxy.cmake; do not edit.\n"
    "extern const char* const kTessalyProxySource;\n"
    "const char* const kTessalyProxySource = R\"tessaly_proxy(${proxy})tessaly_proxy\";\n")
file(COPY_FILE ${OUTPUT}.tmp ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.tmp)
