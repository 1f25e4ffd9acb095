# Installing the suite like a desktop application: the six programs and
# vtserve side by side in lib/vantora (the lobby starts the others from its
# own folder), commands in bin, desktop entries and the icon, vtserve's
# sounds in share/vantora/vtserve; vtserve's system service (a systemd unit,
# not enabled, and its settings, copied to /etc/vantora by the package); and
# a Debian package through CPack.

include(GNUInstallDirs)

install(PROGRAMS ${CMAKE_CURRENT_LIST_DIR}/vantora-local DESTINATION lib/vantora)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vantora-lobby.desktop ${CMAKE_CURRENT_LIST_DIR}/vantora-local.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vantora-lobby.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# The unit names /usr/lib/vantora/vtserve: it is meant for the package.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vtserve.service DESTINATION lib/systemd/system)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/vtserve.conf DESTINATION ${CMAKE_INSTALL_DATADIR}/vantora)

# bin/vtlobby, bin/vtserve and bin/vantora-local point into lib/vantora.
install(CODE [[
    set(bindir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/bin")
    file(MAKE_DIRECTORY "${bindir}")
    foreach(pair "vtlobby:VTLobby" "vtserve:vtserve" "vantora-local:vantora-local")
        string(REPLACE ":" ";" pair "${pair}")
        list(GET pair 0 link)
        list(GET pair 1 target)
        file(CREATE_LINK "../lib/vantora/${target}" "${bindir}/${link}" SYMBOLIC)
        message(STATUS "Installing: ${bindir}/${link} -> ../lib/vantora/${target}")
    endforeach()
]])

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantora)
set(CPACK_PACKAGE_VENDOR "Vantora")
set(CPACK_PACKAGE_CONTACT "Vantora developers <vantora@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Game-and-chat lobby client suite with a local reference service")
set(CPACK_PACKAGE_DESCRIPTION
    "VTLobby and the five programs it starts (Cardamo, Doodlixf, Portalis, Gatelet, Parlora), \
and vtserve, a local service that speaks their protocols so the suite can be used on one machine.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded as plugins or files, so dpkg-shlibdeps cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-qpa-plugins, fonts-dejavu-core, passwd")
if(VANTORA_HAS_WEB_VIEW)
    # The web view's helper process runs from its own package.
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libqt6webenginecore6-bin")
endif()
# The service's user, data folder and settings; nothing is enabled or started.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    "${CMAKE_CURRENT_LIST_DIR}/debian/postinst;${CMAKE_CURRENT_LIST_DIR}/debian/prerm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
