# Every file tests/<folder>/tst_<name>.cpp becomes one QtTest executable and one ctest test,
# run offscreen with a fresh, private program folder (KOVELA_HOME).
function(kovela_add_tests folder_label)
    cmake_parse_arguments(ARG "" "TIMEOUT" "LINKS;EXTRA_SOURCES" ${ARGN})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()
    file(GLOB test_sources CONFIGURE_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/tst_*.cpp")
    foreach(source IN LISTS test_sources)
        get_filename_component(test_name "${source}" NAME_WE)
        set(target "${folder_label}_${test_name}")
        add_executable(${target} "${source}" ${ARG_EXTRA_SOURCES})
        target_link_libraries(${target} PRIVATE Qt6::Test ${ARG_LINKS})
        target_include_directories(${target} PRIVATE "${PROJECT_SOURCE_DIR}/tests")
        kovela_set_warnings(${target})
        set(home "${CMAKE_CURRENT_BINARY_DIR}/home/${target}")
        add_test(NAME ${target} COMMAND ${target})
        set_tests_properties(${target} PROPERTIES
            TIMEOUT ${ARG_TIMEOUT}
            LABELS "${folder_label}"
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen;KOVELA_HOME=${home};KOVELA_SIM=$<TARGET_FILE:kovela-sim>")
    endforeach()
endfunction()
