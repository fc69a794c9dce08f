# What the desktop knows of Marrowlight: the icon its windows carry, and what
# `make install` puts under the prefix (program, help viewer and help file,
# launcher, icon, AppStream data). `make uninstall` removes exactly the files
# the last install listed in install_manifest.txt.
include(GNUInstallDirs)

set(MARROWLIGHT_DESKTOP_ID com.veltaroon.Marrowlight)
set(_desktop_file ${CMAKE_SOURCE_DIR}/desktop/${MARROWLIGHT_DESKTOP_ID}.desktop)
set(_metainfo_file ${CMAKE_BINARY_DIR}/desktop/${MARROWLIGHT_DESKTOP_ID}.metainfo.xml)

# In the support library, so the help viewer can carry the icon too.
qt_add_resources(marrowlight_support marrowlight_icon PREFIX /icons BASE desktop
                 FILES desktop/marrowlight.svg)

configure_file(desktop/${MARROWLIGHT_DESKTOP_ID}.metainfo.xml.in ${_metainfo_file} @ONLY)

install(TARGETS marrowlight RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_desktop_file} DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES desktop/marrowlight.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_metainfo_file} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

add_custom_target(uninstall
  COMMAND ${CMAKE_COMMAND} -DMANIFEST=${CMAKE_BINARY_DIR}/install_manifest.txt
          -P ${CMAKE_SOURCE_DIR}/cmake/Uninstall.cmake
  COMMENT "Removing the files of the last install" VERBATIM)

# The help viewer and its help file may be declared after this file is read,
# so they are looked for once the whole project has been.
function(_marrowlight_install_late)
  set(with_help 0)
  if(TARGET marrowlight-help)
    install(TARGETS marrowlight-help RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    set(with_help 1)
  endif()
  set(qch "")
  if(MARROWLIGHT_QCH)
    # Where the help launcher looks: <prefix>/share/marrowlight/.
    install(FILES ${MARROWLIGHT_QCH} DESTINATION ${CMAKE_INSTALL_DATADIR}/marrowlight)
    get_filename_component(qch ${MARROWLIGHT_QCH} NAME)
  endif()

  if(BUILD_TESTING)
    find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
    find_program(APPSTREAMCLI appstreamcli)
    # A missing tool fails its test by name rather than skipping it.
    if(NOT DESKTOP_FILE_VALIDATE)
      set(DESKTOP_FILE_VALIDATE desktop-file-validate)
    endif()
    if(NOT APPSTREAMCLI)
      set(APPSTREAMCLI appstreamcli)
    endif()
    add_test(NAME Install.DesktopFileIsValid COMMAND ${DESKTOP_FILE_VALIDATE} ${_desktop_file})
    add_test(NAME Install.MetainfoIsValid COMMAND ${APPSTREAMCLI} validate --no-net ${_metainfo_file})
    add_test(NAME Install.IntoATemporaryPrefix
             COMMAND bash ${CMAKE_SOURCE_DIR}/tests/install/install-test.sh
                     ${CMAKE_BINARY_DIR} ${CMAKE_SOURCE_DIR} ${PROJECT_VERSION}
                     ${MARROWLIGHT_DESKTOP_ID} ${with_help} "${qch}")
    # The install writes the build folder's install_manifest.txt.
    set_tests_properties(Install.IntoATemporaryPrefix PROPERTIES RESOURCE_LOCK install_manifest)
  endif()
endfunction()
cmake_language(DEFER DIRECTORY ${CMAKE_SOURCE_DIR} CALL _marrowlight_install_late)
