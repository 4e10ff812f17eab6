# kestrin_add_test(<name> SOURCES <files...> [LIBS <targets...>] [GUI])
#
# One GoogleTest program, registered with CTest test by test. Every test runs headless: Qt on
# its offscreen platform and SDL on its dummy audio driver, set here rather than in code so
# that a developer can still run a test binary by hand on a real display.
# GUI tests get a main() that creates the QApplication first.
# The sanitizer options are not set here but by scripts/test-sanitizers, so that they reach
# every program a test starts, including the converters that run hidden.
set(KESTRIN_TEST_ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy")

function(kestrin_add_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    set_target_properties(${name} PROPERTIES
        AUTOMOC ON
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} kestrin_warnings GTest::gtest GTest::gmock)
    if(ARG_GUI)
        target_link_libraries(${name} PRIVATE kestrin_gui_test_main Qt6::Test)
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main)
    endif()
    gtest_discover_tests(${name}
        TEST_LIST ${name}_TESTS
        DISCOVERY_TIMEOUT 60
        DISCOVERY_MODE PRE_TEST)
    # The environment is set by a file that CTest reads after the discovered tests, because a
    # list-valued property loses its separators on its way through test discovery.
    set(environment_file ${CMAKE_CURRENT_BINARY_DIR}/${name}_environment.cmake)
    file(WRITE ${environment_file}
        "if(${name}_TESTS)\n"
        "    set_tests_properties(\${${name}_TESTS} PROPERTIES ENVIRONMENT \"${KESTRIN_TEST_ENVIRONMENT}\")\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${environment_file})
endfunction()
