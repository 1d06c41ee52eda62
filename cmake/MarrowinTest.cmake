# marrowin_test(NAME SOURCES... LIBS ...): a Qt Test executable run by CTest offscreen,
# with the shipped files of the build at hand.
function(marrowin_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
  target_compile_definitions(${name} PRIVATE
    MARROWIN_SHIPPED_DIR="${MARROWIN_APPDIR}"
    MARROWIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8"
    TIMEOUT 600)
  if(TARGET shipped_files)
    add_dependencies(${name} shipped_files)
  endif()
endfunction()
