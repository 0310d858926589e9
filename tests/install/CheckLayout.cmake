# Installs the build tree as a package would (DESTDIR, prefix /usr) into WORK_DIR, checks where
# the files land, and asks the installed kovela, and the build tree's, where it finds its files.
# Run with -DBUILD_DIR=<build tree> -DWORK_DIR=<scratch folder> -DBUILD_KOVELA=<build's kovela>.

file(REMOVE_RECURSE "${WORK_DIR}")
file(MAKE_DIRECTORY "${WORK_DIR}/root" "${WORK_DIR}/home")
# The program reports canonical paths (its folder comes from /proc/self/exe).
file(REAL_PATH "${WORK_DIR}" WORK_DIR)
set(root "${WORK_DIR}/root")
set(home "${WORK_DIR}/home")

execute_process(
    COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${root}
            ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix /usr
    RESULT_VARIABLE result OUTPUT_QUIET ERROR_VARIABLE errors)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${errors}")
endif()

set(expected
    usr/bin/kovela
    usr/bin/kovela-sim
    usr/share/kovela/IARU_Beacons.dat
    usr/share/kovela/help/Kv7Help.html
    usr/share/kovela/help/Kv7Help.css
    usr/share/kovela/help/images/mainwindow.png
    usr/share/applications/kovela.desktop
    usr/share/icons/hicolor/scalable/apps/kovela.svg
    usr/share/icons/hicolor/48x48/apps/kovela.png
    usr/share/icons/hicolor/256x256/apps/kovela.png
    usr/share/doc/kovela/worldmap-origin.txt)
set(problems)
foreach(file IN LISTS expected)
    if(NOT EXISTS "${root}/${file}")
        list(APPEND problems "missing ${file}")
    endif()
endforeach()

# Only the two programs: tests, benchmarks, fuzzers and the stand-in companion stay in the build.
file(GLOB programs RELATIVE "${root}/usr/bin" "${root}/usr/bin/*")
list(SORT programs)
if(NOT programs STREQUAL "kovela;kovela-sim")
    list(APPEND problems "usr/bin holds ${programs}")
endif()
# Static libraries and headers are the build's own business.
file(GLOB_RECURSE extras RELATIVE "${root}" "${root}/*.a" "${root}/*.h" "${root}/usr/lib*/*")
if(extras)
    list(APPEND problems "installed build leftovers: ${extras}")
endif()

# Asks `kovela` where it finds its files, with no KOVELA_HOME, the way a user starts it.
function(kovela_paths kovela out)
    execute_process(
        COMMAND ${CMAKE_COMMAND} -E env --unset=KOVELA_HOME --unset=XDG_DATA_HOME
                HOME=${home} ${kovela} --show-paths
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE errors)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${kovela} --show-paths failed: ${errors}")
    endif()
    set(${out} "${output}" PARENT_SCOPE)
endfunction()

function(expect_line text line)
    string(FIND "${text}" "${line}\n" found)
    if(found EQUAL -1)
        set(problems ${problems} "expected \"${line}\" in:\n${text}" PARENT_SCOPE)
    endif()
endfunction()

kovela_paths("${root}/usr/bin/kovela" installed)
expect_line("${installed}" "Program folder: ${home}/.local/share/Kovela")
expect_line("${installed}" "User guide: ${root}/usr/share/kovela/help/Kv7Help.html")
expect_line("${installed}" "Beacon schedule: ${root}/usr/share/kovela/IARU_Beacons.dat")

# The build tree keeps working as before: the guide beside the executable, the built-in schedule.
get_filename_component(build_app "${BUILD_KOVELA}" DIRECTORY)
file(REAL_PATH "${build_app}" build_app)
kovela_paths("${BUILD_KOVELA}" in_build)
expect_line("${in_build}" "User guide: ${build_app}/help/Kv7Help.html")
expect_line("${in_build}" "Beacon schedule: built in")

if(problems)
    list(JOIN problems "\n" report)
    message(FATAL_ERROR "${report}")
endif()
message(STATUS "installed layout and lookups as expected")
