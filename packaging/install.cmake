# Install rules: both programs, the data under share/velmoria (where the programs
# look for it relative to bin/), the desktop entry, icons, AppStream metadata and
# the man pages. The version in the metadata and man pages comes from project().
install(TARGETS velmoria RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET velmoria-capture)
  install(TARGETS velmoria-capture RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(DIRECTORY
  ${PROJECT_SOURCE_DIR}/data/Materials ${PROJECT_SOURCE_DIR}/data/PostProcessing ${PROJECT_SOURCE_DIR}/data/textures
  ${PROJECT_SOURCE_DIR}/data/neomeshes ${PROJECT_SOURCE_DIR}/data/misc ${PROJECT_SOURCE_DIR}/data/music
  DESTINATION ${CMAKE_INSTALL_DATADIR}/velmoria)

install(FILES ${CMAKE_CURRENT_LIST_DIR}/${VELMORIA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
foreach(size 48 128 256)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/${size}/${VELMORIA_APP_ID}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

set(VELMORIA_RELEASE_DATE 2026-12-09)
configure_file(${CMAKE_CURRENT_LIST_DIR}/${VELMORIA_APP_ID}.metainfo.xml.in
  ${PROJECT_BINARY_DIR}/packaging/${VELMORIA_APP_ID}.metainfo.xml @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/packaging/${VELMORIA_APP_ID}.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

foreach(page velmoria.6 velmoria-capture.1)
  configure_file(${CMAKE_CURRENT_LIST_DIR}/man/${page}.in ${PROJECT_BINARY_DIR}/packaging/${page} @ONLY)
  string(REGEX REPLACE ".*\\." "" section ${page})
  install(FILES ${PROJECT_BINARY_DIR}/packaging/${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()

# The Debian changelog, for scripts/package-deb.sh.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog ${PROJECT_BINARY_DIR}/packaging/changelog @ONLY)
