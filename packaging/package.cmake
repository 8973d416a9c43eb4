# The Debian package: what goes into it besides the programs (whose install rules sit
# with their targets) and how CPack builds it. `cmake --build build --target package`
# writes tarsel-utilities_<version>_amd64.deb into the build folder.

set(_packaging ${CMAKE_CURRENT_LIST_DIR})
set(_generated ${PROJECT_BINARY_DIR}/packaging)

# Desktop entry, icons, AppStream metainfo.
set(TARSEL_APPSTREAM_ID org.example.tarsel_utilities)
install(FILES ${_packaging}/tarsel-utilities.desktop
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${_packaging}/tarsel-utilities.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
configure_file(${_packaging}/tarsel-utilities.metainfo.xml.in
               ${_generated}/${TARSEL_APPSTREAM_ID}.metainfo.xml @ONLY)
install(FILES ${_generated}/${TARSEL_APPSTREAM_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)

# The PNG icons are drawn from the one SVG.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
set(_icons)
foreach(size 48 128)
  set(_png ${_generated}/icons/${size}/tarsel-utilities.png)
  add_custom_command(OUTPUT ${_png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_generated}/icons/${size}
    COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${_png} ${_packaging}/tarsel-utilities.svg
    DEPENDS ${_packaging}/tarsel-utilities.svg
    COMMENT "Drawing the ${size}x${size} icon")
  list(APPEND _icons ${_png})
  install(FILES ${_png}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages, section 1, written by help2man from each program's --help and --version
# (with the sections of packaging/man/<program>.h2m added), compressed as Debian wants.
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)
set(_man_pages)
foreach(program TarselUtilities Tarsel_Batch tarsel-local)
  set(_page ${_generated}/man/${program}.1)
  add_custom_command(OUTPUT ${_page}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_generated}/man
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
            ${HELP2MAN} --no-info --section=1 --include=${_packaging}/man/${program}.h2m
            --output=${_page} $<TARGET_FILE:${program}>
    COMMAND ${GZIP} -9nf ${_page}
    DEPENDS ${program} ${_packaging}/man/${program}.h2m
    COMMENT "Writing the manual page of ${program}")
  list(APPEND _man_pages ${_page}.gz)
endforeach()
install(FILES ${_man_pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
add_custom_target(tarsel_package_files ALL DEPENDS ${_icons} ${_man_pages})

install(FILES ${_packaging}/completions/Tarsel_Batch ${_packaging}/completions/tarsel-local
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)

# The documentation folder every Debian package has: copyright and changelog.
configure_file(${_packaging}/changelog.in ${_generated}/changelog @ONLY)
add_custom_command(OUTPUT ${_generated}/changelog.gz
  COMMAND ${GZIP} -9nkf ${_generated}/changelog
  DEPENDS ${_generated}/changelog)
add_custom_target(tarsel_package_changelog ALL DEPENDS ${_generated}/changelog.gz)
install(FILES ${_packaging}/copyright ${_generated}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${TARSEL_PACKAGE_NAME})

# CPack's DEB generator.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${TARSEL_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Tarsel Utilities project")
set(CPACK_PACKAGE_CONTACT "Tarsel Utilities <tarsel-utilities@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL ${TARSEL_HOMEPAGE})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tools for administrators of Tarsel applications")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${_packaging}/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Tarsel_Batch loads libcurl at its first mail, so the scan of its links does not see it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libcurl4)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Help and spreadsheets open with the desktop's program through xdg-open.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xdg-utils)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
