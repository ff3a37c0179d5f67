# Installs the build in BUILD_DIR under PREFIX and checks what a desktop needs.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed")
endif()

foreach(path bin/kestrin share/applications/kestrin.desktop
        share/icons/hicolor/scalable/apps/kestrin.svg)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()

# The menu entry starts the program by the name it is installed under and
# shows the icon installed beside it.
file(STRINGS "${PREFIX}/share/applications/kestrin.desktop" entry)
if(NOT "Exec=kestrin" IN_LIST entry OR NOT "Icon=kestrin" IN_LIST entry)
    message(FATAL_ERROR "the desktop entry does not name the program and its icon")
endif()

find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
    execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}"
        "${PREFIX}/share/applications/kestrin.desktop" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "desktop-file-validate rejects the desktop entry")
    endif()
else()
    message(STATUS "desktop-file-validate not found: the entry's syntax is not checked")
endif()
