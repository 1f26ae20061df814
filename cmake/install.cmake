# Installing like a desktop program. The program folder keeps its layout under lib/pelorin: the
# executables, the marker that tells them they are an installed copy, and the shipped sourses/.
# An installed copy lays the same folder out for each user in ~/.local/share/Pelorin/ (lists the
# clinic may edit, photo copies, filled forms) and keeps the database in ~/.local/share/Tarvelo/
# unless --data or TARVELO name another. bin/ has links to both executables; the menu entry and the
# icon go where the desktop looks for them.
include(GNUInstallDirs)
set(PELORIN_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/pelorin)
install(TARGETS pelorin pelorin-cli RUNTIME DESTINATION ${PELORIN_INSTALL_DIR})
file(WRITE ${CMAKE_BINARY_DIR}/pelorin-installed "Installed copy of Pelorin ${PROJECT_VERSION}.\n")
install(FILES ${CMAKE_BINARY_DIR}/pelorin-installed DESTINATION ${PELORIN_INSTALL_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/sourses/ DESTINATION ${PELORIN_INSTALL_DIR}/sourses)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/pelorin.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/pelorin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(program pelorin pelorin-cli)
    install(CODE "
        set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
        file(MAKE_DIRECTORY \"\${bin}\")
        file(CREATE_LINK \"../${PELORIN_INSTALL_DIR}/${program}\" \"\${bin}/${program}\" SYMBOLIC)
    ")
endforeach()

# cpack: a .deb for Debian 12.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME pelorin)
set(CPACK_PACKAGE_VENDOR "Pelorin")
set(CPACK_PACKAGE_CONTACT "Pelorin <pelorin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Dermatology clinic records: psoriasis, atopic dermatitis, PUVA courses")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# What the libraries do not name: the SQLite driver and the image plugins Qt loads at run time, and
# the Russian texts of Qt's own dialogs.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-translations-l10n, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libreoffice-calc, libreoffice-writer")
include(CPack)
