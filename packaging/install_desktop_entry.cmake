# Runs at install time (cmake --install, cpack): writes the menu entry with the absolute path
# of the installed program (/usr/lib/pv-service/pv-service in the package), so the entry starts
# it whether or not the tree's bin/ is on the PATH. Set before it: PV_DESKTOP_TEMPLATE and
# PV_PROGRAM_DESTINATION.
set(PV_EXEC "${CMAKE_INSTALL_PREFIX}/${PV_PROGRAM_DESTINATION}/pv-service")
if(PV_EXEC MATCHES " ")
  set(PV_EXEC "\"${PV_EXEC}\"")
endif()
set(entry "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/share/applications/pv-service.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${PV_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")
