# Installing Numora as a desktop program, and the Debian package made from the same rules.
#
#   cmake --install build --prefix ~/.local        (or /usr/local, the default)
#   cd build && cpack -G DEB                       (scripts/package.sh does both steps)

include(GNUInstallDirs)

set(numora_datadir "${CMAKE_INSTALL_DATADIR}/numora")

# The program finds its sample templates relative to its own folder, so an installed tree
# still works after its prefix was moved; run from the build folder, it uses the source tree's.
file(RELATIVE_PATH numora_templates_from_bin "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_FULL_DATADIR}/numora/templates")
target_compile_definitions(numora PRIVATE
  NUMORA_VERSION="${PROJECT_VERSION}"
  NUMORA_INSTALLED_TEMPLATES="${numora_templates_from_bin}"
  NUMORA_SOURCE_TEMPLATES="${PROJECT_SOURCE_DIR}/templates")

# The manual page and the change log are installed compressed; -n leaves the name and time
# out, so the same text always gives the same bytes.
set(numora_compressed)
foreach(file numora.1 changelog)
  set(compressed "${CMAKE_CURRENT_BINARY_DIR}/packaging/${file}.gz")
  add_custom_command(OUTPUT "${compressed}"
    COMMAND ${CMAKE_COMMAND} -E copy "${PROJECT_SOURCE_DIR}/packaging/${file}"
            "${CMAKE_CURRENT_BINARY_DIR}/packaging/${file}"
    COMMAND gzip -9 -n -f "${CMAKE_CURRENT_BINARY_DIR}/packaging/${file}"
    DEPENDS "${PROJECT_SOURCE_DIR}/packaging/${file}"
    COMMENT "Compressing ${file}" VERBATIM)
  list(APPEND numora_compressed "${compressed}")
endforeach()
add_custom_target(numora_compressed_docs DEPENDS ${numora_compressed})
add_dependencies(numora numora_compressed_docs)

# The summary's plug-in and the window's module, found the same way relative to the program's
# folder.
set(numora_plugindir "${CMAKE_INSTALL_LIBDIR}/numora")
file(RELATIVE_PATH numora_plugins_from_bin "${CMAKE_INSTALL_FULL_BINDIR}"
     "${CMAKE_INSTALL_PREFIX}/${numora_plugindir}")
target_compile_definitions(numora_start PRIVATE NUMORA_INSTALLED_PLUGINS="${numora_plugins_from_bin}")

install(TARGETS numora RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
install(TARGETS numora_summary numora_window LIBRARY DESTINATION "${numora_plugindir}")
install(FILES packaging/numora.desktop DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES packaging/example.numora.Numora.metainfo.xml
        DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
install(FILES packaging/numora-mime.xml DESTINATION "${CMAKE_INSTALL_DATADIR}/mime/packages"
        RENAME numora.xml)
foreach(side 16 24 32 48 64 128 256)
  install(FILES resources/icons/numora-${side}.png
          DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${side}x${side}/apps"
          RENAME numora.png)
endforeach()
install(FILES resources/icons/numora.svg
        DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps")
install(FILES "${CMAKE_CURRENT_BINARY_DIR}/packaging/numora.1.gz"
        DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
install(FILES packaging/copyright README.md "${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz"
        DESTINATION "${CMAKE_INSTALL_DATADIR}/doc/numora")
install(DIRECTORY templates/ DESTINATION "${numora_datadir}/templates")
install(FILES demo/nmr.dat DESTINATION "${numora_datadir}/demo")
install(DIRECTORY demo/images DESTINATION "${numora_datadir}/demo")

# Installed straight into a prefix (not staged for a package, whose installation runs these
# through the system's triggers), the MIME and desktop databases are brought up to date so
# that a file manager opens "nmr.dat" with Numora at once.
install(CODE "set(numora_data_root \"${CMAKE_INSTALL_DATADIR}\")")
install(CODE [[
  if(NOT DEFINED ENV{DESTDIR} OR "$ENV{DESTDIR}" STREQUAL "")
    find_program(numora_update_mime update-mime-database)
    find_program(numora_update_desktop update-desktop-database)
    if(numora_update_mime)
      execute_process(COMMAND "${numora_update_mime}"
                              "${CMAKE_INSTALL_PREFIX}/${numora_data_root}/mime")
    endif()
    if(numora_update_desktop)
      execute_process(COMMAND "${numora_update_desktop}" -q
                              "${CMAKE_INSTALL_PREFIX}/${numora_data_root}/applications")
    endif()
  endif()
]])

# The Debian package. Its dependencies are the libraries the program links, found by
# dpkg-shlibdeps, and Qt's SVG plugins, which give the scalable icon and SVG pictures.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME numora)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "The Numora developers")
set(CPACK_PACKAGE_CONTACT "The Numora developers <numora@numora.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "coin collection catalogue")
set(CPACK_PACKAGE_DESCRIPTION
    "Numora keeps a coin collection: name, year, face value, country, mint marks,\n\
condition, purchase and current value, category, picture and description of\n\
every coin, edited, sorted and revalued in one window. It turns the\n\
collection into a list page and a catalogue page from HTML templates.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.numora.example/numora/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
