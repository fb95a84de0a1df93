# taplink-station's service: the unit, the config in /etc, an example, and
# the Debian maintainer scripts that make the taplink user. Included from the
# root CMakeLists.txt, before CPack, when the Qt parts are built.

# The program itself, once station/ builds it.
if(TARGET taplink-station)
  install(TARGETS taplink-station RUNTIME DESTINATION bin)
endif()
# taplink-floor reads the same config; dpkg-shlibdeps finds its HTTP server
# and libsodium libraries.
if(TARGET taplink-floor)
  install(TARGETS taplink-floor RUNTIME DESTINATION bin)
endif()

# Relative to the prefix: /usr/lib/systemd/system in the package.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/taplink-station.service DESTINATION lib/systemd/system)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../floor/taplink-floor.service DESTINATION lib/systemd/system)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/station.ini.example DESTINATION share/doc/taplink/examples
        RENAME station.ini)

# The config belongs in /etc whatever the prefix. CPack installs absolute
# destinations only under DESTDIR, hence CPACK_SET_DESTDIR; in that mode the
# package's prefix is CPACK_INSTALL_PREFIX (not CPACK_PACKAGING_INSTALL_PREFIX),
# which would otherwise be the build's /usr/local. dpkg keeps an edited config
# across upgrades because the conffiles list names it.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/station.ini DESTINATION /etc/taplink)
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)

set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  "${CMAKE_CURRENT_LIST_DIR}/deb/conffiles"
  "${CMAKE_CURRENT_LIST_DIR}/deb/postinst"
  "${CMAKE_CURRENT_LIST_DIR}/deb/prerm"
  "${CMAKE_CURRENT_LIST_DIR}/deb/postrm")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
# postinst makes the user with adduser; dpkg-shlibdeps adds the libraries,
# but not Qt's SQL drivers, which are plugins loaded by name: the station
# does not start without its journal, SQLite by default, PostgreSQL when
# several PCs share one.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "adduser, libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql")
