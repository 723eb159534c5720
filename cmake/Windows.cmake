# snapwit.exe for 64-bit Windows, cross-built with mingw-w64 (cmake/mingw-w64-x86_64.cmake), and
# the zip it ships in. tools/build.sh windows prepares what this needs: a static freeglut
# (FreeGLUT_DIR) and the build machine's make_font (SNAPWIT_MAKE_FONT).
#
#   BUILD/snapwit-VERSION-win64.zip     snapwit.exe, font.bmp, LICENSE, README.txt

# FreeGLUT::freeglut_static brings FREEGLUT_STATIC, without which the headers import every glut
# function from a DLL, and Windows' opengl32, winmm and gdi32.
find_package(FreeGLUT 3.4 CONFIG REQUIRED)
target_sources(snapwit_core PRIVATE app/platform_windows.cpp)
target_link_libraries(snapwit_core PUBLIC FreeGLUT::freeglut_static glu32 opengl32)

# The icon is the glow the program flashes, as on Linux, at the sizes Windows asks for most.
enable_language(RC)
set(SNAPWIT_ICO ${CMAKE_BINARY_DIR}/snapwit.ico)
add_custom_command(
  OUTPUT ${SNAPWIT_ICO}
  COMMAND ${make_font} --windows-icon ${SNAPWIT_ICO}
  DEPENDS ${make_font}
  COMMENT "Drawing snapwit.ico")
set(SNAPWIT_MANIFEST ${CMAKE_SOURCE_DIR}/dist/windows/snapwit.exe.manifest)
configure_file(${CMAKE_SOURCE_DIR}/dist/windows/snapwit.rc.in ${CMAKE_BINARY_DIR}/snapwit.rc @ONLY)
# windres reads the icon and the manifest itself; CMake does not see them as inputs.
set_source_files_properties(${CMAKE_BINARY_DIR}/snapwit.rc PROPERTIES
  OBJECT_DEPENDS "${SNAPWIT_ICO};${SNAPWIT_MANIFEST}")

# A GUI program (WIN32: no console window) that needs no DLL beyond Windows' own: -static takes
# libstdc++, libgcc and winpthread from their archives. No link time in the header, so that the
# same sources give the same bytes.
add_executable(snapwit WIN32 app/main.cpp ${CMAKE_BINARY_DIR}/snapwit.rc)
target_link_libraries(snapwit PRIVATE snapwit_core)
target_link_options(snapwit PRIVATE -static -s -Wl,--no-insert-timestamp)
add_dependencies(snapwit font_sheet)

# The zip: one folder, snapwit-VERSION-win64, with the program, its font sheet, the licence and a
# read-me with Windows line ends.
set(zip_name snapwit-${PROJECT_VERSION}-win64)
set(stage ${CMAKE_BINARY_DIR}/zip/${zip_name})
add_custom_command(
  OUTPUT ${CMAKE_BINARY_DIR}/${zip_name}.zip
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:snapwit> ${CMAKE_BINARY_DIR}/font.bmp
          ${CMAKE_SOURCE_DIR}/LICENSE ${stage}
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/dist/windows/README.txt ${stage}/README.txt
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/zip
          ${CMAKE_COMMAND} -E tar cf ${CMAKE_BINARY_DIR}/${zip_name}.zip --format=zip ${zip_name}
  DEPENDS snapwit ${CMAKE_BINARY_DIR}/font.bmp ${CMAKE_SOURCE_DIR}/LICENSE
          ${CMAKE_SOURCE_DIR}/dist/windows/README.txt
  COMMENT "Packing ${zip_name}.zip"
  VERBATIM)
add_custom_target(windows_zip ALL DEPENDS ${CMAKE_BINARY_DIR}/${zip_name}.zip)

# The timing benchmark's recording build, linked like snapwit.exe, for bench/accuracy --wine; built
# only when asked for (--target recording_snapwit).
add_executable(recording_snapwit WIN32 EXCLUDE_FROM_ALL bench/recording_snapwit.cpp
  ${CMAKE_BINARY_DIR}/snapwit.rc)
target_link_libraries(recording_snapwit PRIVATE snapwit_core)
target_link_options(recording_snapwit PRIVATE -static)
add_dependencies(recording_snapwit font_sheet)
