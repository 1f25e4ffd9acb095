# Installs the build into a scratch prefix and checks the desktop layout:
# the six programs and vtserve together, the commands, the desktop entries,
# the icon, vtserve's sounds and the door terminal's description.
set(prefix "${BUILD}/install-check")
file(REMOVE_RECURSE "${prefix}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${prefix}"
                RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
foreach(file
        lib/vantora/VTLobby lib/vantora/Cardamo lib/vantora/Doodlixf lib/vantora/Portalis
        lib/vantora/Gatelet lib/vantora/Parlora lib/vantora/vtserve lib/vantora/vantora-local
        bin/vtlobby bin/vtserve bin/vantora-local
        share/applications/vantora-lobby.desktop share/applications/vantora-local.desktop
        share/icons/hicolor/scalable/apps/vantora-lobby.svg
        share/vantora/vtserve/Sounds/Laugh3.wav share/vantora/vtserve/Sounds/Taunt001.wav
        share/terminfo/v/vantora)
    if(NOT EXISTS "${prefix}/${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
file(READ "${prefix}/share/applications/vantora-lobby.desktop" entry)
if(NOT entry MATCHES "Exec=vtlobby" OR NOT entry MATCHES "Icon=vantora-lobby")
    message(FATAL_ERROR "the lobby's desktop entry does not start vtlobby with its icon")
endif()
file(REMOVE_RECURSE "${prefix}")
message(STATUS "install layout ok")
