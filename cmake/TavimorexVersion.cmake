# The program's version and desktop id in one generated header, so that --version, the About box and the
# package all say what project() says.
set(TAVIMOREX_APP_ID "org.tavimorex.tavimorex")

configure_file("${CMAKE_CURRENT_LIST_DIR}/tavimorexversion.h.in"
               "${CMAKE_BINARY_DIR}/generated/tavimorexversion.h" @ONLY)
add_library(tavimorexversion INTERFACE)
target_include_directories(tavimorexversion INTERFACE "${CMAKE_BINARY_DIR}/generated")
