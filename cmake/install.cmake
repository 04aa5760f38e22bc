# Installation as a desktop program: the viewer and its launcher on the PATH, a desktop entry,
# the window icon in the hicolor theme and the manual page. The SoundFont and the fonts the
# viewer looks up at run time belong to other packages and are never copied (README, Install).
include(GNUInstallDirs)

set(DESKTOP_SOURCE_DIR ${CMAKE_SOURCE_DIR}/desktop)
set(DESKTOP_BINARY_DIR ${CMAKE_BINARY_DIR}/desktop)

# The icon theme's copies are scaled from the window icon, drawn by the program's own code at 48
# pixels: smoothly down, and up by whole factors so that its pixels stay sharp.
add_executable(quenmira_export_icon ${DESKTOP_SOURCE_DIR}/export_icon.cpp)
target_link_libraries(quenmira_export_icon PRIVATE quenmira_viewer)

find_program(IMAGEMAGICK_CONVERT convert REQUIRED)
set(ICON_BITMAP ${DESKTOP_BINARY_DIR}/quenmira-icon.bmp)
add_custom_command(OUTPUT ${ICON_BITMAP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${DESKTOP_BINARY_DIR}
  COMMAND quenmira_export_icon ${ICON_BITMAP}
  DEPENDS quenmira_export_icon VERBATIM)

set(ICON_SIZES 16 22 24 32 48 96 192)
set(ICON_FILES)
foreach(size IN LISTS ICON_SIZES)
  if(size GREATER 48)
    set(filter point)
  else()
    set(filter Lanczos)
  endif()
  set(icon ${DESKTOP_BINARY_DIR}/icons/${size}x${size}/apps/quenmira.png)
  # -strip leaves out the time stamps, so that a rebuild makes the same file.
  add_custom_command(OUTPUT ${icon}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DESKTOP_BINARY_DIR}/icons/${size}x${size}/apps
    COMMAND ${IMAGEMAGICK_CONVERT} ${ICON_BITMAP} -filter ${filter} -resize ${size}x${size} -strip PNG24:${icon}
    DEPENDS ${ICON_BITMAP} VERBATIM)
  list(APPEND ICON_FILES ${icon})
  install(FILES ${icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(quenmira_icons ALL DEPENDS ${ICON_FILES})

install(TARGETS quenmira RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(PROGRAMS ${CMAKE_SOURCE_DIR}/scripts/quenmira-pictures DESTINATION ${CMAKE_INSTALL_BINDIR})

# The entry names the launcher by its full path, known only at install time: `cmake --install
# --prefix` may choose another prefix than the build's. Each prefix (and DESTDIR) gets its own
# copy of the entry in the build tree, so that two installs at once cannot mix them up.
set(DESKTOP_ENTRY_INSTALL [[
  set(QUENMIRA_PICTURES "@CMAKE_INSTALL_BINDIR@/quenmira-pictures")
  cmake_path(ABSOLUTE_PATH QUENMIRA_PICTURES BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE)
  set(applications "@CMAKE_INSTALL_DATADIR@/applications")
  cmake_path(ABSOLUTE_PATH applications BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" NORMALIZE)
  string(MD5 copy "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  configure_file("@DESKTOP_SOURCE_DIR@/quenmira.desktop.in" "@DESKTOP_BINARY_DIR@/${copy}/quenmira.desktop" @ONLY)
  file(INSTALL "@DESKTOP_BINARY_DIR@/${copy}/quenmira.desktop" DESTINATION "${applications}")
]])
string(CONFIGURE "${DESKTOP_ENTRY_INSTALL}" DESKTOP_ENTRY_INSTALL @ONLY)
install(CODE "${DESKTOP_ENTRY_INSTALL}")

# One page for both commands: the launcher's name links to the viewer's page.
file(MAKE_DIRECTORY ${DESKTOP_BINARY_DIR})
file(CREATE_LINK quenmira.1 ${DESKTOP_BINARY_DIR}/quenmira-pictures.1 SYMBOLIC)
install(FILES ${DESKTOP_SOURCE_DIR}/quenmira.1 ${DESKTOP_BINARY_DIR}/quenmira-pictures.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
