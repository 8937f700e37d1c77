include(GoogleTest)

# pictorum_test(<name> SOURCES <files...> LIBS <targets...> [LABELS <labels...>])
# One test executable per unit; it runs offscreen with the shared test support.
function(pictorum_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE test_support ${T_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8"
    LABELS "${T_LABELS}"
    TIMEOUT 300)
endfunction()
