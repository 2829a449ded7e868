# Installation and the Debian package "tarnvel" (cmake --install, cpack -G DEB): the two
# programs, the desktop entry with its icons and AppStream data, the man pages, the manual and
# the example recording.

set(TARNVEL_APP_ID org.tarnvel.Tarnvel)

if(TARGET tarnvel)
    install(TARGETS tarnvel RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(TARGETS tarnvel-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Desktop integration: the entry, its metadata, and the icon in every size the icon theme has.
install(FILES resources/desktop/${TARNVEL_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
configure_file(resources/desktop/${TARNVEL_APP_ID}.metainfo.xml
               ${PROJECT_BINARY_DIR}/${TARNVEL_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/${TARNVEL_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
file(GLOB theme_icons ${PROJECT_SOURCE_DIR}/resources/icons/tarnvel-*.png)
foreach(icon ${theme_icons})
    string(REGEX MATCH "tarnvel-([0-9]+)\\.png$" ignored ${icon})
    install(FILES ${icon} RENAME tarnvel.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${CMAKE_MATCH_1}x${CMAKE_MATCH_1}/apps)
endforeach()

# Man pages: the options and commands come from the programs' own --help, so they cannot drift.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(man_pages "")
foreach(program tarnvel tarnvel-cli)
    if(NOT TARGET ${program})
        continue()
    endif()
    set(page ${PROJECT_BINARY_DIR}/man/${program}.1)
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -DPROGRAM=$<TARGET_FILE:${program}>
                -DTEMPLATE=${PROJECT_SOURCE_DIR}/docs/man/${program}.1.in -DOUTPUT=${page}
                -DVERSION=${PROJECT_VERSION} -P ${PROJECT_SOURCE_DIR}/cmake/MakeManPage.cmake
        COMMAND ${GZIP_PROGRAM} -9 -n -k -f ${page}
        DEPENDS ${program} ${PROJECT_SOURCE_DIR}/docs/man/${program}.1.in
                ${PROJECT_SOURCE_DIR}/cmake/MakeManPage.cmake
        COMMENT "Man page ${program}(1)")
    list(APPEND man_pages ${page}.gz)
endforeach()
add_custom_target(man_pages ALL DEPENDS ${man_pages})
install(FILES ${man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The manual, where the help window looks for it, and the recording it starts with.
install(DIRECTORY docs/manual/ DESTINATION ${TARNVEL_MANUAL_INSTALL_DIR}
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png")
install(FILES resources/example-bpsk31.wav DESTINATION ${CMAKE_INSTALL_DATADIR}/tarnvel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tarnvel)
set(CPACK_PACKAGE_VENDOR "Tarnvel developers")
set(CPACK_PACKAGE_CONTACT "Tarnvel developers <dev@tarnvel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "soundcard modem for keyboard-to-keyboard amateur radio")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Tarnvel turns the sound card into a modem for narrow-band digital amateur radio:\n"
    "it decodes BPSK31, BPSK63, QPSK31, FSK31 and FSK63 and monitors PACTOR, shows the\n"
    "band as a waterfall, transmits through the sound card and keys the radio over a\n"
    "serial port or Hamlib. tarnvel-cli decodes and encodes WAV recordings.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link come from dpkg-shlibdeps (Qt's X11 platform plugin comes
# with its GUI library). What is loaded at run time it cannot see is recommended: the ALSA
# plugin through which PortAudio reaches PulseAudio and PipeWire, Qt's Wayland plugin, Qt's
# Polish texts for its own dialogs, and a font with the Polish letters.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "libasound2-plugins, qt6-wayland, qt6-translations-l10n, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libhamlib-utils")
set(CPACK_STRIP_FILES ON)
include(CPack)
