# Installing on Linux, and the Debian package (CPack). The programs find
# their data relative to their own file, so any prefix and a DESTDIR copy work:
#   <prefix>/bin/kumodo, <prefix>/bin/kumodo-export
#   <prefix>/libexec/kumodo/kumodo-prompt
#   <prefix>/share/kumodo/{res/, kumodo-basic-cmd.txt, kumodo-basic-cmd-200.txt}
#   menu entry, icons, AppStream metadata, manual pages, copyright, changelog
include(GNUInstallDirs)

install(TARGETS kumodo kumodo-export RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS kumodo-prompt RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/kumodo)
install(DIRECTORY res DESTINATION ${CMAKE_INSTALL_DATADIR}/kumodo)
install(FILES kumodo-basic-cmd.txt kumodo-basic-cmd-200.txt DESTINATION ${CMAKE_INSTALL_DATADIR}/kumodo)
install(FILES data/kumodo.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/org.kumodo.Kumodo.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The desktop's icons, made at build time from the program's own.
add_executable(make_icons tools/make_icons.cpp)
target_link_libraries(make_icons PRIVATE kumodo_platform)
set(KUMODO_ICON_SIZES 16 32 48 64 128)
set(KUMODO_ICONS "")
foreach(size ${KUMODO_ICON_SIZES})
  list(APPEND KUMODO_ICONS ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/kumodo.png)
endforeach()
add_custom_command(OUTPUT ${KUMODO_ICONS}
  COMMAND make_icons ${CMAKE_SOURCE_DIR}/res/kumodo-icon.bmp ${CMAKE_BINARY_DIR}/icons
  DEPENDS make_icons ${CMAKE_SOURCE_DIR}/res/kumodo-icon.bmp)
foreach(size ${KUMODO_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/kumodo.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Manual pages, compressed as Debian wants them. They name the data folder
# and the helper, so they are made when installed, for the prefix installed
# under (cmake --install --prefix, the package's /usr), not the one
# configured.
foreach(dir DATADIR LIBEXECDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    set(KUMODO_INSTALLED_${dir} "${CMAKE_INSTALL_${dir}}")
  else()
    set(KUMODO_INSTALLED_${dir} "\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_${dir}}")
  endif()
endforeach()
foreach(page kumodo kumodo-export)
  install(CODE "
    set(KUMODO_VERSION ${PROJECT_VERSION})
    set(KUMODO_DATA_DIR \"${KUMODO_INSTALLED_DATADIR}/kumodo\")
    set(KUMODO_HELPER \"${KUMODO_INSTALLED_LIBEXECDIR}/kumodo/kumodo-prompt\")
    configure_file(${CMAKE_SOURCE_DIR}/man/${page}.1.in ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
    execute_process(COMMAND gzip -9n -c ${CMAKE_BINARY_DIR}/man/${page}.1
                    OUTPUT_FILE ${CMAKE_BINARY_DIR}/man/${page}.1.gz COMMAND_ERROR_IS_FATAL ANY)")
  install(FILES ${CMAKE_BINARY_DIR}/man/${page}.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The changelog, compressed likewise.
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/doc
  COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/data/changelog > ${CMAKE_BINARY_DIR}/doc/changelog.gz
  DEPENDS ${CMAKE_SOURCE_DIR}/data/changelog)
add_custom_target(install_files ALL DEPENDS ${KUMODO_ICONS} ${CMAKE_BINARY_DIR}/doc/changelog.gz)
# What the install takes from the build folder is built with the editor, so
# that a build of the editor alone (scripts/run's) installs whole.
add_dependencies(kumodo install_files)
install(FILES data/copyright ${CMAKE_BINARY_DIR}/doc/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kumodo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kumodo developers")
set(CPACK_PACKAGE_CONTACT "The Kumodo developers <developers@kumodo.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "picture editor that saves N88-BASIC programs")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Draws 640 x 400 (or 640 x 200) pictures in the eight digital colours of the\n"
  "old Japanese personal computers: lines, polylines, fills, tile fills, dots,\n"
  "two-colour lines and outlines traced from an imported picture. Every save\n"
  "writes the drawing as a CSV list of operations and as a line-numbered\n"
  "N88-BASIC program that redraws it. kumodo-export converts documents to\n"
  "programs and PNG pictures without a window.")
string(REPLACE ";" "" CPACK_DEBIAN_PACKAGE_DESCRIPTION "${CPACK_DEBIAN_PACKAGE_DESCRIPTION}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://kumodo.org/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries from the programs themselves; the font and the icons they show besides.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-gothic")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "adwaita-icon-theme")
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
