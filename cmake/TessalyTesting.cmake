# The tests that read a game folder (TESSALY_PLAY_DATA_DIR) skip without one, saying so;
# scripts/test turns this on, so that there a missing folder fails them instead.
option(TESSALY_REQUIRE_GAME_FOLDER "Tests that need a game folder fail without one" OFF)

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
        TESSALY_GAME_DIR="${TESSALY_GAME_DIR}"
        TESSALY_PLAY_DATA_DIR="${TESSALY_PLAY_DATA_DIR}"
        TESSALY_REQUIRE_GAME_FOLDER=$<BOOL:${TESSALY_REQUIRE_GAME_FOLDER}>)
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

# tessaly_needs_game_folder(TEST...)
# Script tests that read the game folder: exit code 77 is their skip, and they hear through
# TESSALY_REQUIRE_GAME_FOLDER whether a missing folder is a failure instead.
function(tessaly_needs_game_folder)
    if(TESSALY_REQUIRE_GAME_FOLDER)
        set(required 1)
    else()
        set(required 0)
    endif()
    set_property(TEST ${ARGN} APPEND PROPERTY ENVIRONMENT TESSALY_REQUIRE_GAME_FOLDER=${required})
    set_property(TEST ${ARGN} PROPERTY SKIP_RETURN_CODE 77)
endfunction()
