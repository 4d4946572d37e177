# tessaly_test(NAME SOURCES file... LIBS target... [LABELS label...] [ENV VAR=value...])
# One GoogleTest program; each of its tests becomes a CTest test.
function(tessaly_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/tests)
    target_compile_definitions(${name} PRIVATE
        TESSALY_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        TESSALY_VECTORS_DIR="${PROJECT_SOURCE_DIR}/tests/vectors"
        TESSALY_GAME_DIR="${TESSALY_GAME_DIR}")
    # An empty LABELS value would vanish from the list and swallow the next property name.
    set(props)
    if(ARG_LABELS)
        list(APPEND props LABELS "${ARG_LABELS}")
    endif()
    if(ARG_ENV)
        list(APPEND props ENVIRONMENT "${ARG_ENV}")
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
        WORKING_DIRECTORY ${PROJECT_BINARY_DIR}/tests
        PROPERTIES ${props})
endfunction()
