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
        share/terminfo/v/vantora
        lib/systemd/system/vtserve.service share/vantora/vtserve.conf)
    if(NOT EXISTS "${prefix}/${file}")
        message(FATAL_ERROR "not installed: ${file}")
    endif()
endforeach()
file(READ "${prefix}/share/applications/vantora-lobby.desktop" entry)
if(NOT entry MATCHES "Exec=vtlobby" OR NOT entry MATCHES "Icon=vantora-lobby")
    message(FATAL_ERROR "the lobby's desktop entry does not start vtlobby with its icon")
endif()
# The service runs as its own user with its data in /var/lib/vantora and the
# address from the settings; the package's scripts never enable it.
file(READ "${prefix}/lib/systemd/system/vtserve.service" unit)
foreach(line "User=vantora" "EnvironmentFile=-/etc/vantora/vtserve.conf" "StateDirectory=vantora"
        "ExecStart=/usr/lib/vantora/vtserve --bind \${VTSERVE_BIND} --data /var/lib/vantora")
    string(FIND "${unit}" "${line}" at)
    if(at LESS 0)
        message(FATAL_ERROR "the vtserve unit lacks: ${line}")
    endif()
endforeach()
file(READ "${prefix}/share/vantora/vtserve.conf" settings)
if(NOT settings MATCHES "\nVTSERVE_BIND=127.0.0.1\n")
    message(FATAL_ERROR "the service's settings do not bind to the loopback address by default")
endif()
get_filename_component(packaging "${CMAKE_CURRENT_LIST_DIR}/../../packaging/debian" ABSOLUTE)
foreach(script postinst prerm)
    file(READ "${packaging}/${script}" text)
    if(text MATCHES "\n[ \t]*systemctl[^\n]*(enable|start)")
        message(FATAL_ERROR "the package's ${script} enables or starts the service")
    endif()
endforeach()
file(REMOVE_RECURSE "${prefix}")
message(STATUS "install layout ok")
