# One library target per subsystem: every .cpp directly in the folder belongs to it
# (windows live in a ui/ subfolder with a target of their own).
function(tarnvel_subsystem name)
    cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    if(sources)
        add_library(tarnvel_${name} STATIC ${sources})
        target_include_directories(tarnvel_${name} PUBLIC ${PROJECT_SOURCE_DIR})
        target_link_libraries(tarnvel_${name} PUBLIC ${ARG_LINKS})
    else()
        add_library(tarnvel_${name} INTERFACE)
        target_include_directories(tarnvel_${name} INTERFACE ${PROJECT_SOURCE_DIR})
        target_link_libraries(tarnvel_${name} INTERFACE ${ARG_LINKS})
    endif()
    add_library(tarnvel::${name} ALIAS tarnvel_${name})
endfunction()

# One GoogleTest program per subsystem folder of tests/. RESOURCE_LOCK keeps its tests from
# running at the same time as other tests that take the same lock.
function(tarnvel_test_folder name)
    cmake_parse_arguments(ARG "" "RESOURCE_LOCK" "LINKS;ENVIRONMENT" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}/*.cpp)
    if(NOT sources)
        return()
    endif()
    add_executable(tests_${name} ${sources})
    target_include_directories(tests_${name} PRIVATE ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(tests_${name} PRIVATE ${ARG_LINKS} GTest::gtest GTest::gtest_main)
    target_compile_definitions(tests_${name} PRIVATE
        TARNVEL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        TARNVEL_BINARY_DIR="${PROJECT_BINARY_DIR}")
    set(lock "")
    if(ARG_RESOURCE_LOCK)
        set(lock RESOURCE_LOCK ${ARG_RESOURCE_LOCK})
    endif()
    gtest_discover_tests(tests_${name} DISCOVERY_MODE PRE_TEST
        PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}" TIMEOUT 600 ${lock})
endfunction()
