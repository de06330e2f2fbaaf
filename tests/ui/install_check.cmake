# Installs the build tree into a scratch prefix and checks that the programs,
# the menu entry and the icons land where desktops look for them.
# -D BUILD_DIR, PREFIX, EXPECTED (paths below PREFIX, separated by commas).
string(REPLACE "," ";" EXPECTED "${EXPECTED}")
file(REMOVE_RECURSE "${PREFIX}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${status}):\n${output}")
endif()
foreach(path IN LISTS EXPECTED)
    if(NOT EXISTS "${PREFIX}/${path}")
        message(FATAL_ERROR "not installed: ${path}")
    endif()
endforeach()
file(READ "${PREFIX}/share/applications/quba.desktop" entry)
foreach(line "Exec=quba" "Icon=quba" "Type=Application")
    string(FIND "${entry}" "${line}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "quba.desktop lacks ${line}")
    endif()
endforeach()
file(REMOVE_RECURSE "${PREFIX}")
message(STATUS "installed: ${EXPECTED}")
