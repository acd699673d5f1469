# Helpers shared by every folder of the tree.

# The built programs and libraries a test may run or load, each with the
# macro that holds its path in the tests that use it.
set(VEL_PATH_MACRO_velsrv VELSRV_PATH)
set(VEL_PATH_MACRO_velclt32 VEL_DRIVER_PATH)
set(VEL_PATH_MACRO_rsdriv32 VEL_RESOURCE_PATH)
set(VEL_PATH_MACRO_velcfg32 VEL_SETUP_PATH)
set(VEL_PATH_MACRO_velutl32 VELUTL_PATH)
set(VEL_PATH_MACRO_velref32 VELREF_PATH)
set(VEL_PATH_MACRO_velloc32 VELLOC_PATH)
set(VEL_PATH_MACRO_rstool32 VEL_RSTOOL_PATH)
set(VEL_PATH_MACRO_rsbase32 VEL_RSBASE_PATH)
set(VEL_PATH_MACRO_vel_test_translation VEL_XLAT_LIBRARY)
set(VEL_PATH_MACRO_vel_test_translation_half VEL_XLAT_HALF_LIBRARY)
set(VEL_PATH_MACRO_vel_test_dialogs VEL_TEST_DIALOGS)
set(VEL_PATH_MACRO_vel_dialog_host_module VEL_DIALOG_HOST_MODULE)

# vel_test_uses(<target> <built...>)
# The target's sources find each built program or library by its path
# macro, and the target is built after them; nothing else waits for them.
function(vel_test_uses target)
  foreach(built IN LISTS ARGN)
    set(macro ${VEL_PATH_MACRO_${built}})
    if(NOT macro)
      message(FATAL_ERROR "vel_test_uses: ${target}: no path macro for ${built}")
    endif()
    target_compile_definitions(${target} PRIVATE ${macro}="$<TARGET_FILE:${built}>")
    add_dependencies(${target} ${built})
  endforeach()
endfunction()

# vel_add_tests(<target> <sources...> LIBS <libs...> [USES <built...>]
#               [LABELS <labels...>])
# One test executable per folder, discovered by CTest test by test; USES
# names the built programs and libraries it runs or loads (vel_test_uses);
# the labels let a run choose its tests (ctest -L threads).
function(vel_add_tests target)
  if(NOT VEL_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "LIBS;USES;LABELS" ${ARGN})
  add_executable(${target} ${ARG_UNPARSED_ARGUMENTS})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
  vel_test_uses(${target} ${ARG_USES})
  set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  # No test may wait for a person: dialogs fail unless a test scripts them.
  gtest_discover_tests(${target} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/tests
                       DISCOVERY_TIMEOUT 60 PROPERTIES ENVIRONMENT "VELTO_DIALOG_HOST=none"
                       LABELS "${ARG_LABELS}")
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

# Where an installed system keeps its deliverables: the driver, its setup
# library and every resource library in the driver manager's folder for
# drivers, the programs in the usual program folders.
include(GNUInstallDirs)
set(VEL_INSTALL_ODBCDIR ${CMAKE_INSTALL_LIBDIR}/odbc)
set(VEL_INSTALL_FULL_ODBCDIR ${CMAKE_INSTALL_FULL_LIBDIR}/odbc)
set(VEL_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/velto)
set(VEL_INSTALL_FULL_DATADIR ${CMAKE_INSTALL_FULL_DATADIR}/velto)

# vel_install(<target> ODBC|PROGRAM|SERVER)
# ODBC: a library in the driver folder, where a module finds its companions
# beside itself. PROGRAM: a tool in <bindir>; the libraries it loads by name
# (the driver, its resource library) are found through its run path in the
# driver folder. SERVER: a daemon in <sbindir>.
function(vel_install target kind)
  if(kind STREQUAL "ODBC")
    set(destination ${VEL_INSTALL_ODBCDIR})
    install(TARGETS ${target} LIBRARY DESTINATION ${destination})
  elseif(kind STREQUAL "PROGRAM")
    set(destination ${CMAKE_INSTALL_BINDIR})
    file(RELATIVE_PATH to_odbc ${CMAKE_INSTALL_FULL_BINDIR} ${VEL_INSTALL_FULL_ODBCDIR})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "\$ORIGIN/${to_odbc}")
    install(TARGETS ${target} RUNTIME DESTINATION ${destination})
  elseif(kind STREQUAL "SERVER")
    set(destination ${CMAKE_INSTALL_SBINDIR})
    install(TARGETS ${target} RUNTIME DESTINATION ${destination})
  else()
    message(FATAL_ERROR "vel_install: ${target}: ODBC, PROGRAM or SERVER, not ${kind}")
  endif()
  # Data files lie beside a library, or in the data folder for a program:
  # a program folder holds programs only.
  set(data ${destination})
  if(kind STREQUAL "PROGRAM")
    set(data ${VEL_INSTALL_DATADIR})
  endif()
  set_target_properties(${target} PROPERTIES VEL_INSTALL_DESTINATION ${destination}
                                             VEL_INSTALL_DATA_DESTINATION ${data})
endfunction()

# vel_message_file(<deliverable> <file name> <generator source> LIBS <libs...>
#                  [DIR <folder>])
# The deliverable's built-in message table written out as its XML message
# file beside it in the build and, after vel_install, where the installed
# deliverable finds it (beside a library, in the data folder for a
# program): a file with every text, for people to change. The generator
# source's main writes the table to the path given as its argument. DIR
# puts the file in another folder of the build than the deliverable's.
function(vel_message_file deliverable file source)
  cmake_parse_arguments(ARG "" "DIR" "LIBS" ${ARGN})
  if(NOT ARG_DIR)
    set(ARG_DIR ${VEL_OUT_DIR})
  endif()
  set(generator ${deliverable}_message_writer)
  add_executable(${generator} ${source})
  target_link_libraries(${generator} PRIVATE ${ARG_LIBS})
  set_target_properties(${generator} PROPERTIES RUNTIME_OUTPUT_DIRECTORY
                        ${CMAKE_BINARY_DIR}/generators)
  add_custom_command(OUTPUT ${ARG_DIR}/${file}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${ARG_DIR}
                     COMMAND ${generator} ${ARG_DIR}/${file}
                     DEPENDS ${generator} VERBATIM)
  add_custom_target(${deliverable}_messages ALL DEPENDS ${ARG_DIR}/${file})
  add_dependencies(${deliverable} ${deliverable}_messages)
  get_target_property(destination ${deliverable} VEL_INSTALL_DATA_DESTINATION)
  if(destination)
    install(FILES ${ARG_DIR}/${file} DESTINATION ${destination})
  endif()
endfunction()
