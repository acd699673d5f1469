# Helpers shared by every folder of the tree.

# vel_add_tests(<target> <sources...> LIBS <libs...>)
# One test executable per folder, discovered by CTest test by test.
function(vel_add_tests target)
  if(NOT VEL_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  add_executable(${target} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # No test may wait for a person: dialogs fail unless a test scripts them.
  gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
                       DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "VELTO_DIALOG_HOST=none")
endfunction()

# vel_export_only(<shared-library-target> <symbol...>)
# A shared library exports only the names listed: the static runtime linked
# into every deliverable must never interpose between two of them.
function(vel_export_only target)
  set(script ${CMAKE_CURRENT_BINARY_DIR}/${target}.map)
  list(JOIN ARGN ";\n    " names)
  file(WRITE ${script} "{\n  global:\n    ${names};\n  local:\n    *;\n};\n")
  target_link_options(${target} PRIVATE "-Wl,--version-script=${script}")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
endfunction()

# vel_add_fuzz_target(<name> <source> CORPUS <dir> LIBS <libs...>)
# With VEL_FUZZ the source becomes a libFuzzer binary; in the normal build it
# is linked with a small driver that replays every file of the corpus, so the
# stored inputs run as an ordinary test.
function(vel_add_fuzz_target name source)
  cmake_parse_arguments(ARG "" "CORPUS" "LIBS" ${ARGN})
  if(VEL_FUZZ)
    add_executable(${name} ${source})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  elseif(VEL_TESTS)
    add_executable(${name}_replay ${source} ${CMAKE_SOURCE_DIR}/testing/fuzz_replay_main.cpp)
    target_link_libraries(${name}_replay PRIVATE ${ARG_LIBS})
    set_target_properties(${name}_replay PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${name}_corpus COMMAND ${name}_replay ${ARG_CORPUS})
  endif()
endfunction()
