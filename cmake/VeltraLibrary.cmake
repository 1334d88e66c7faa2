# One static library per source folder: every .cpp of the folder, headers found from src/.
function(veltra_library name folder)
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp)
    if(sources)
        add_library(${name} STATIC ${sources})
        set(scope PUBLIC)
    else()
        # A folder with headers only (or none yet) still gives a target to link against.
        add_library(${name} INTERFACE)
        set(scope INTERFACE)
    endif()
    target_include_directories(${name} ${scope} ${PROJECT_SOURCE_DIR}/src)
    if(ARGN)
        target_link_libraries(${name} ${scope} ${ARGN})
    endif()
endfunction()

# One test program per tests/ folder, of its *.cpp files, linked with the libraries that follow.
# A folder whose tests need a Qt application object provides its own TestMain.cpp; the others
# use GoogleTest's main.
# Its cases are labelled unit (seconds, no other processes) unless PROCESSES gives a gtest
# filter: the cases it matches start other programs and run as a second ctest entry,
# `name`_processes, labelled end-to-end.
function(veltra_test name folder)
    cmake_parse_arguments(PARSE_ARGV 2 test "" "PROCESSES" "")
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(${name} ${sources} ${PROJECT_SOURCE_DIR}/tests/support/StrictInternalErrors.cpp)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR}/src)
    target_compile_definitions(${name} PRIVATE
        VELTRA_SAMPLES_DIR="${VELTRA_SAMPLES_DIR}"
        VELTRA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        VELTRA_BINARY_DIR="${PROJECT_BINARY_DIR}")
    list(FILTER sources INCLUDE REGEX "/TestMain\\.cpp$")
    if(sources)
        target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock ${test_UNPARSED_ARGUMENTS})
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest_main GTest::gmock ${test_UNPARSED_ARGUMENTS})
    endif()
    set(environment "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${PROJECT_BINARY_DIR}/test-config")
    if(test_PROCESSES)
        add_test(NAME ${name} COMMAND ${name} --gtest_filter=-${test_PROCESSES})
        add_test(NAME ${name}_processes COMMAND ${name} --gtest_filter=${test_PROCESSES})
        set_tests_properties(${name}_processes PROPERTIES ENVIRONMENT "${environment}"
            TIMEOUT 600 LABELS end-to-end)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "${environment}" TIMEOUT 600 LABELS unit)
endfunction()

# A module the programs load with dlopen from their own folder: `output`.so in src/app, only its
# entry visible. A symbol the module would take from the program is a mistake: the link says
# so (except in the sanitizer and fuzzing builds, whose runtimes come from the program).
function(veltra_module name output)
    add_library(${name} MODULE ${ARGN})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src)
    if(NOT VELTRA_SANITIZE AND NOT VELTRA_FUZZ)
        target_link_options(${name} PRIVATE LINKER:--no-undefined)
    endif()
    set_target_properties(${name} PROPERTIES
        OUTPUT_NAME ${output} PREFIX "" CXX_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/src/app)
endfunction()
