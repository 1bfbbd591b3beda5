# Installing: the program folder as the build lays it out (the executable and every file
# shipped beside it) under lib/reelvista, a launcher in bin, a desktop entry and an icon.
include(GNUInstallDirs)
set(_program_dest ${CMAKE_INSTALL_LIBDIR}/reelvista)

install(DIRECTORY ${REELVISTA_PROGRAM_DIR}/ DESTINATION ${_program_dest} USE_SOURCE_PERMISSIONS)

file(RELATIVE_PATH REELVISTA_PROGRAM_FROM_BIN
     ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR} ${CMAKE_INSTALL_PREFIX}/${_program_dest})
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/desktop/reelvista-launcher.in
               ${CMAKE_CURRENT_BINARY_DIR}/launcher/reelvista @ONLY)
install(PROGRAMS ${CMAKE_CURRENT_BINARY_DIR}/launcher/reelvista
        DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/desktop/reelvista.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# File associations and the software centres' description, and the manual page.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/desktop/reelvista.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
set(REELVISTA_METAINFO io.github.reelvista.Reelvista.metainfo.xml)
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/desktop/${REELVISTA_METAINFO}.in
               ${CMAKE_CURRENT_BINARY_DIR}/desktop/${REELVISTA_METAINFO} @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/desktop/${REELVISTA_METAINFO}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/desktop/reelvista.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# `cmake --install --strip` (and the package) strips the executables of the program folder
# too, which are installed as files of the folder rather than as targets.
if(CMAKE_STRIP)
  install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(_exe reelvista reelvista-render OrbisaneSCR.scr exeh)
      set(_file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${_program_dest}/\${_exe}\")
      if(EXISTS \"\${_file}\")
        execute_process(COMMAND \"${CMAKE_STRIP}\" \"\${_file}\")
      endif()
    endforeach()
  endif()")
endif()
