# Builds the Debian package into a scratch folder and checks that it holds
# both programs, the menu entry and the icon below /usr, and that it names
# the packages apt must bring: the Qt libraries and plugins, Highway and a
# font.
# -D BUILD_DIR, OUTPUT
file(REMOVE_RECURSE "${OUTPUT}")
execute_process(
    COMMAND cpack -G DEB -B "${OUTPUT}" WORKING_DIRECTORY "${BUILD_DIR}"
    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cpack failed (${status}):\n${output}")
endif()
file(GLOB packages "${OUTPUT}/quba_*.deb")
list(LENGTH packages count)
if(NOT count EQUAL 1)
    message(FATAL_ERROR "expected one package in ${OUTPUT}, found: ${packages}")
endif()

execute_process(COMMAND dpkg-deb --field ${packages} Depends OUTPUT_VARIABLE depends)
foreach(dependency libqt6widgets6 libqt6charts6 libqt6gui6 qt6-qpa-plugins
                   fonts-dejavu-core qt6-image-formats-plugins libhwy1)
    string(FIND "${depends}" "${dependency}" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the package does not depend on ${dependency}: ${depends}")
    endif()
endforeach()

execute_process(COMMAND dpkg-deb --contents ${packages} OUTPUT_VARIABLE contents)
foreach(path ./usr/bin/quba ./usr/bin/quba-cli ./usr/share/applications/quba.desktop
             ./usr/share/icons/hicolor/scalable/apps/quba.svg)
    string(FIND "${contents}" "${path}\n" at)
    if(at EQUAL -1)
        message(FATAL_ERROR "the package lacks ${path}:\n${contents}")
    endif()
endforeach()
file(REMOVE_RECURSE "${OUTPUT}")
message(STATUS "package depends on: ${depends}")
