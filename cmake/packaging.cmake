# The Debian package: `cpack -G DEB` in a build folder. The package is laid out for /usr, from the
# install rules of the "system" component below; a plain `cmake --install` leaves them out and
# lays out the folder that runs as it is (src/ and tools/).
include(GNUInstallDirs)

# The project has no name of its own on the web yet: the id (set beside the project) and the
# addresses are settings, and the defaults are placeholders that the metadata validator accepts.
set(TILKA_PROJECT_URL "https://example.org/tilka" CACHE STRING "Home page")
set(TILKA_SCREENSHOT_URL "${TILKA_PROJECT_URL}/docs/screenshots" CACHE STRING
    "Web folder of the README's screenshots")
set(TILKA_MAINTAINER "Tilka developers <tilka@example.org>" CACHE STRING "Package maintainer")

set(TILKA_GENERATED "${CMAKE_BINARY_DIR}/packaging")
configure_file(${CMAKE_SOURCE_DIR}/resources/tilka.installed.desktop.in
               ${TILKA_GENERATED}/${TILKA_APP_ID}.desktop @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/tilka.metainfo.xml.in
               ${TILKA_GENERATED}/${TILKA_APP_ID}.metainfo.xml @ONLY)

install(TARGETS tilka tilka-hgsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${TILKA_GENERATED}/${TILKA_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${TILKA_GENERATED}/${TILKA_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/resources/tilka.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps
        RENAME ${TILKA_APP_ID}.svg COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${CMAKE_SOURCE_DIR}/resources/tilka.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions RENAME tilka
        COMPONENT system EXCLUDE_FROM_ALL)
# Manual pages are kept compressed, without a time stamp so that rebuilds give the same bytes.
install(CODE "
  set(man \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_MANDIR}/man1\")
  file(MAKE_DIRECTORY \"\${man}\")
  execute_process(COMMAND gzip -9 -n -c \"${CMAKE_SOURCE_DIR}/resources/tilka.1\"
                  OUTPUT_FILE \"\${man}/tilka.1.gz\" COMMAND_ERROR_IS_FATAL ANY)
" COMPONENT system EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tilka)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Call records, phone book and dialling through a terminal adapter")
set(CPACK_PACKAGE_DESCRIPTION
    "Tilka downloads and converts the call log of a telephone terminal adapter attached over a\n"
    "serial line, keeps a phone book, dials through the adapter and sets its options. Its\n"
    "windows are in Japanese. A simulated adapter, tilka-hgsim, is included.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGE_CONTACT "${TILKA_MAINTAINER}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# Only the /usr layout goes into the package.
set(CPACK_INSTALL_CMAKE_PROJECTS "${CMAKE_BINARY_DIR};Tilka;system;/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TILKA_PROJECT_URL}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so not found among the linked libraries: the tables' database driver and
# the image readers for contact photos in TIFF and other formats Qt's own library lacks.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, qt6-image-formats-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-noto-cjk")
include(CPack)
