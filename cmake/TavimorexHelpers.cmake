# Adds every sub-folder of the current folder that has a CMakeLists.txt.
function(tavimorex_add_subdirectories)
  file(GLOB children LIST_DIRECTORIES true RELATIVE "${CMAKE_CURRENT_SOURCE_DIR}" "${CMAKE_CURRENT_SOURCE_DIR}/*")
  list(SORT children)
  foreach(child IN LISTS children)
    if(IS_DIRECTORY "${CMAKE_CURRENT_SOURCE_DIR}/${child}" AND EXISTS "${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt")
      add_subdirectory(${child})
    endif()
  endforeach()
endfunction()

# tavimorex_add_test(<name> SOURCES ... [LIBS ...] [TIMEOUT s] [NEEDS_DISPLAY] [LABELS ...])
# One QTest executable registered as one CTest test. It runs on the offscreen platform (or under the
# xcb platform when NEEDS_DISPLAY is given and DISPLAY is set), gets its own XDG_DATA_HOME below the build
# folder so no test touches the user's data, and knows its source folder and the program folder.
function(tavimorex_add_test name)
  cmake_parse_arguments(T "NEEDS_DISPLAY" "TIMEOUT" "SOURCES;LIBS;LABELS;DEPENDS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test testsupport ${T_LIBS})
  target_compile_definitions(${name} PRIVATE
    TESTS_SOURCE_DIR="${CMAKE_CURRENT_SOURCE_DIR}"
    TAVIMOREX_BIN_DIR="${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  if(T_DEPENDS)
    add_dependencies(${name} ${T_DEPENDS})
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set(platform "QT_QPA_PLATFORM=offscreen")
  if(T_NEEDS_DISPLAY)
    set(platform "QT_QPA_PLATFORM=xcb")
  endif()
  set_tests_properties(${name} PROPERTIES
    TIMEOUT ${T_TIMEOUT}
    LABELS "${T_LABELS}"
    ENVIRONMENT "${platform};XDG_DATA_HOME=${CMAKE_CURRENT_BINARY_DIR}/xdg-${name};XDG_CONFIG_HOME=${CMAKE_CURRENT_BINARY_DIR}/xdg-${name}/config;QT_LOGGING_RULES=*.debug=false")
endfunction()

# tavimorex_render_svgs(<out-var> OUTPUT_DIR <dir> PICTURES "<svg> <name> [<width> <height>]"...)
# Renders each SVG source to <dir>/<name>.png at build time with the svgrender tool (at the SVG's own size
# unless a size is given) and returns the PNG paths, ready for qt_add_resources.
function(tavimorex_render_svgs out_var)
  cmake_parse_arguments(R "" "OUTPUT_DIR" "PICTURES" ${ARGN})
  set(pngs)
  foreach(entry IN LISTS R_PICTURES)
    separate_arguments(entry)
    list(GET entry 0 svg)
    list(GET entry 1 name)
    set(size)
    list(LENGTH entry count)
    if(count EQUAL 4)
      list(GET entry 2 width)
      list(GET entry 3 height)
      set(size ${width} ${height})
    endif()
    set(png "${R_OUTPUT_DIR}/${name}.png")
    add_custom_command(
      OUTPUT "${png}"
      COMMAND $<TARGET_FILE:svgrender> "${svg}" "${png}" ${size}
      DEPENDS svgrender "${svg}"
      COMMENT "Rendering ${name}.png"
      VERBATIM)
    list(APPEND pngs "${png}")
  endforeach()
  set(${out_var} "${pngs}" PARENT_SCOPE)
endfunction()
