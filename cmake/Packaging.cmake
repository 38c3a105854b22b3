# What an installed tree holds besides the program and its picture libraries,
# and the Debian package built from it by CPack (scripts/package.sh):
#   cmake -S . -B build-deb -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
#         -DKALEIDOR_TESTS=OFF -DKALEIDOR_BENCH=OFF
#   cmake --build build-deb && (cd build-deb && cpack -G DEB)

install(FILES assets/kaleidor.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES assets/org.example.kaleidor.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES assets/kaleidor-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME kaleidor.xml)
install(FILES assets/icons/kaleidor.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 22 24 32 48 64 128 256)
  install(FILES assets/icons/kaleidor-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME kaleidor.png)
endforeach()

# Manual page and changelog are compressed when configuring, so that an install
# after building the program alone finds them; -n keeps the bytes the same
# from one build to the next.
set(doc_dir ${CMAKE_BINARY_DIR}/doc)
file(MAKE_DIRECTORY ${doc_dir})
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(changelog_time $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct OUTPUT_VARIABLE changelog_time
                  OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT changelog_time)
  set(changelog_time 0)
endif()
execute_process(COMMAND date -u -R -d @${changelog_time} OUTPUT_VARIABLE KALEIDOR_CHANGELOG_DATE
                OUTPUT_STRIP_TRAILING_WHITESPACE)
configure_file(assets/kaleidor.1 ${doc_dir}/kaleidor.1 @ONLY)
configure_file(assets/debian/changelog.in ${doc_dir}/changelog @ONLY)
foreach(doc kaleidor.1 changelog)
  execute_process(COMMAND gzip -9 -n -f -k ${doc} WORKING_DIRECTORY ${doc_dir} COMMAND_ERROR_IS_FATAL ANY)
endforeach()
install(FILES ${doc_dir}/kaleidor.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES assets/debian/copyright ${doc_dir}/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/kaleidor)

set(CPACK_PACKAGE_NAME kaleidor)
set(CPACK_PACKAGE_VENDOR "Kaleidor developers")
set(CPACK_PACKAGE_CONTACT "Kaleidor developers <kaleidor@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "media launcher with a playlist of pictures, music and video")
set(CPACK_PACKAGE_DESCRIPTION "Kaleidor keeps a playlist of picture, music and video files in its main
window. A picture opens in a zoomable screen window, music plays in a small
player window and video plays into the screen window. A slide show steps
through the playlist and a thumbnails viewer browses a folder of pictures.
The user interface is Russian.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.example.org/kaleidor)
# Libraries the binaries link come from dpkg-shlibdeps; what the program
# loads by name at run time is listed: the media plugins for every kind the
# launcher plays, Qt's X11 platform, SVG icons and Russian texts, the fonts
# its windows name, and a sound font for MIDI music.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "gstreamer1.0-plugins-base, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, \
gstreamer1.0-plugins-ugly, gstreamer1.0-libav, gstreamer1.0-alsa, \
qt6-qpa-plugins, libqt6svg6, qt6-translations-l10n, \
fontconfig, fonts-liberation2, fonts-dejavu-core, fonts-dejavu-extra, fonts-comic-neue, fonts-urw-base35, fonts-wine, \
timgm6mb-soundfont")
include(CPack)
