# What `cmake --install build --prefix P` puts under P: both programs, the
# desktop entry, the file type of DAT archives, the icons, the AppStream
# metainfo and the manual pages. The movie player needs no place of its own:
# the browser carries it.
include(GNUInstallDirs)
set(DRAVIK_APP_ID org.dravik.Dravik)

install(TARGETS dravik dravik-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/${DRAVIK_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${DRAVIK_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/${DRAVIK_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${DRAVIK_APP_ID}.xml)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES src/resources/app/dravik_${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME ${DRAVIK_APP_ID}.png)
endforeach()
install(FILES src/resources/app/dravik.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${DRAVIK_APP_ID}.svg)
install(FILES docs/man/dravik.1 docs/man/dravik-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
