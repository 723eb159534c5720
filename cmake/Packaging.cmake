# Installing Snapwit as a desktop program, and its Debian package (cpack).
#
#   cmake --install BUILD --prefix /usr/local       games/snapwit (the command), libexec/snapwit/ (the
#                                                   program), share/snapwit/font.bmp, desktop entry,
#                                                   icons, manual, AppStream metadata, copyright and
#                                                   changelog
#   cpack --config BUILD/CPackConfig.cmake         snapwit_VERSION_ARCH.deb, installing under /usr
include(GNUInstallDirs)

# The package's section is games, and Debian keeps the commands of that section in /usr/games.
# The command there is a launcher that finds the data folder; the program itself is private.
set(SNAPWIT_GAMES_DESTINATION games)
set(SNAPWIT_PROGRAM_DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/snapwit)

# Snapwit reads font.bmp from its working directory, so the desktop entry starts it in this folder.
set(SNAPWIT_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/snapwit)

# The icon is the glow the program flashes, drawn by the font-sheet tool at the usual theme sizes.
set(SNAPWIT_ICON_SIZES 64 128)
foreach(size ${SNAPWIT_ICON_SIZES})
  set(icon_dir ${CMAKE_BINARY_DIR}/icons/${size}x${size})
  add_custom_command(
    OUTPUT ${icon_dir}/snapwit.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${icon_dir}
    COMMAND make_font --icon ${icon_dir}/snapwit.png ${size}
    DEPENDS make_font
    COMMENT "Drawing the ${size} by ${size} icon")
  list(APPEND snapwit_icons ${icon_dir}/snapwit.png)
  install(FILES ${icon_dir}/snapwit.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(icons ALL DEPENDS ${snapwit_icons})

# The manual page and the changelog go out compressed as Debian wants them: maximum compression, and no
# name or timestamp in the header, so that every build gives the same bytes.
find_program(SNAPWIT_GZIP gzip)
if(NOT SNAPWIT_GZIP)
  message(FATAL_ERROR "gzip is needed to compress the manual page and the changelog")
endif()
foreach(doc snapwit.6 changelog)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/dist/${doc}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/dist/${doc} ${CMAKE_BINARY_DIR}/dist/${doc}
    COMMAND ${SNAPWIT_GZIP} -9nf ${CMAKE_BINARY_DIR}/dist/${doc}
    DEPENDS ${CMAKE_SOURCE_DIR}/dist/${doc}
    COMMENT "Compressing ${doc}"
    VERBATIM)
  list(APPEND snapwit_compressed_docs ${CMAKE_BINARY_DIR}/dist/${doc}.gz)
endforeach()
add_custom_target(compressed_docs ALL DEPENDS ${snapwit_compressed_docs})

# The version is written in the changelog and the AppStream release list by hand; a release that
# forgets one of them should not build.
set(SNAPWIT_APPSTREAM_ID invalid.snapwit.snapwit)
set(SNAPWIT_METAINFO ${CMAKE_SOURCE_DIR}/dist/${SNAPWIT_APPSTREAM_ID}.metainfo.xml)
file(STRINGS ${CMAKE_SOURCE_DIR}/dist/changelog changelog_top LIMIT_COUNT 1)
file(STRINGS ${SNAPWIT_METAINFO} metainfo_release REGEX "<release ")
if(NOT changelog_top MATCHES "^snapwit \\(${PROJECT_VERSION}\\) "
   OR NOT metainfo_release MATCHES "version=\"${PROJECT_VERSION}\"")
  message(FATAL_ERROR "dist/changelog and dist/${SNAPWIT_APPSTREAM_ID}.metainfo.xml must both start with version ${PROJECT_VERSION}")
endif()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/dist/changelog ${SNAPWIT_METAINFO})

# The launcher finds both folders from its own place, so one file serves every prefix.
configure_file(${CMAKE_SOURCE_DIR}/dist/snapwit.sh.in ${CMAKE_BINARY_DIR}/dist/snapwit @ONLY)
install(TARGETS snapwit RUNTIME DESTINATION ${SNAPWIT_PROGRAM_DESTINATION})
install(PROGRAMS ${CMAKE_BINARY_DIR}/dist/snapwit DESTINATION ${SNAPWIT_GAMES_DESTINATION})
install(FILES ${CMAKE_BINARY_DIR}/font.bmp DESTINATION ${SNAPWIT_DATA_DESTINATION})
install(FILES ${CMAKE_BINARY_DIR}/dist/snapwit.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright ${CMAKE_BINARY_DIR}/dist/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${SNAPWIT_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The desktop entry's Path= must name the folder where font.bmp ends up and Exec= the installed
# command (/usr/games is not on every user's PATH), and both depend on the prefix given at install
# time (cmake --install --prefix, or /usr for the package), so the entry is written when installing
# rather than when configuring.
install(CODE "
  set(SNAPWIT_DATA_DIR \"\${CMAKE_INSTALL_PREFIX}/${SNAPWIT_DATA_DESTINATION}\")
  set(SNAPWIT_PROGRAM \"\${CMAKE_INSTALL_PREFIX}/${SNAPWIT_GAMES_DESTINATION}/snapwit\")
  configure_file(\"${CMAKE_SOURCE_DIR}/dist/snapwit.desktop.in\"
                 \"${CMAKE_BINARY_DIR}/dist/snapwit.desktop\" @ONLY)
")
install(FILES ${CMAKE_BINARY_DIR}/dist/snapwit.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

# Packaging takes what the last build made instead of building everything first, so that the
# package test does not rebuild binaries that other tests are running.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

# Debian package. With DESTDIR staging the install step sees the real prefix /usr, which the
# desktop entry above needs; without it CMake would hand it cpack's scratch folder.
set(CPACK_GENERATOR DEB)
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_NAME snapwit)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Snapwit developers <snapwit@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "visual reaction-time tester")
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
  "Snapwit shows a soft white flash at random moments and measures how quickly"
  "you click the left mouse button, in sixtieths of a second and in milliseconds."
  "It draws the average, the last time, a histogram and a graph of the last 30"
  "times, and counts early clicks and misses.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)

# Mesa's DRI drivers are loaded at run time, not linked, so no tool can find them: they are always
# named. The linked libraries come from dpkg-shlibdeps when it is there (it needs `file` as well),
# else they are named by hand.
find_program(SNAPWIT_DPKG_SHLIBDEPS dpkg-shlibdeps)
find_program(SNAPWIT_FILE_TOOL file)
if(SNAPWIT_DPKG_SHLIBDEPS AND SNAPWIT_FILE_TOOL)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1-mesa-dri")
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libc6, libstdc++6, libgcc-s1, libglut3.12, libglu1-mesa, libgl1, libopengl0, libglx0, libgl1-mesa-dri")
endif()

include(CPack)
