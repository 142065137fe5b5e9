# The Debian package (Linux): install rules and CPack's DEB generator.
# The installation is one folder, /usr/lib/tamarel, as on Windows: the
# programs find the settings file and the pictures beside themselves.
# scripts/build runs cpack after the build: dist/tamarel_<version>_amd64.deb.
include(GNUInstallDirs)
set(TAMAREL_PKG_DIR lib/tamarel)
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

install(TARGETS Tamarel Pellmar RUNTIME DESTINATION ${TAMAREL_PKG_DIR})
install(FILES ${CMAKE_SOURCE_DIR}/data/ovinflowers.ini DESTINATION ${TAMAREL_PKG_DIR})
file(GLOB TAMAREL_PKG_BMPS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/*.bmp)
install(FILES ${TAMAREL_PKG_BMPS} DESTINATION ${TAMAREL_PKG_DIR}/ovinsoftware/tamarel)
file(GLOB TAMAREL_PKG_BMPS_2X CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/data/2x/*.bmp)
install(FILES ${TAMAREL_PKG_BMPS_2X} DESTINATION ${TAMAREL_PKG_DIR}/ovinsoftware/tamarel/2x)

# xscreensaver finds its programs in /usr/libexec/xscreensaver and the panel's
# description by the program's name there.
set(TAMAREL_PKG_BUILD ${CMAKE_BINARY_DIR}/package)
file(MAKE_DIRECTORY ${TAMAREL_PKG_BUILD})
file(CREATE_LINK ../../lib/tamarel/Tamarel ${TAMAREL_PKG_BUILD}/tamarel SYMBOLIC)
install(FILES ${TAMAREL_PKG_BUILD}/tamarel DESTINATION libexec/xscreensaver)
install(FILES ${CMAKE_SOURCE_DIR}/data/tamarel.xml DESTINATION share/xscreensaver/config)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tamarel-settings.desktop DESTINATION share/applications)
# MATE's screen-saver chooser lists the entries of this folder and runs their
# program the way xscreensaver does.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tamarel.desktop DESTINATION share/applications/screensavers)

# The manual page and the changelog compressed as Debian wants them.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog ${TAMAREL_PKG_BUILD}/changelog @ONLY)
foreach(doc tamarel.6 changelog)
  if(doc STREQUAL changelog)
    set(src ${TAMAREL_PKG_BUILD}/changelog)
  else()
    set(src ${CMAKE_CURRENT_LIST_DIR}/${doc})
  endif()
  add_custom_command(OUTPUT ${TAMAREL_PKG_BUILD}/${doc}.gz
    COMMAND gzip -9nc ${src} > ${TAMAREL_PKG_BUILD}/${doc}.gz
    DEPENDS ${src})
endforeach()
add_custom_target(package_docs ALL DEPENDS ${TAMAREL_PKG_BUILD}/tamarel.6.gz ${TAMAREL_PKG_BUILD}/changelog.gz)
install(FILES ${TAMAREL_PKG_BUILD}/tamarel.6.gz DESTINATION share/man/man6)
install(FILES ${TAMAREL_PKG_BUILD}/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
        DESTINATION share/doc/tamarel)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tamarel)
set(CPACK_PACKAGE_VENDOR "Ovin Software")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/cpack)
get_filename_component(TAMAREL_DIST_PARENT ${TAMAREL_DIST_DIR} DIRECTORY)
set(CPACK_OUTPUT_FILE_PREFIX ${TAMAREL_DIST_PARENT})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Ovin Software <packages@tamarel.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS xscreensaver)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "flower garden screen saver")
set(CPACK_PACKAGE_DESCRIPTION "A tiled lawn on which yellow orchids, red petunias, roses and white daisies
sprout, bloom and are planted anew, and a tractor that mows it every minute.
It runs under xscreensaver, one garden on every monitor, with the flower
counts on sliders of the xscreensaver settings panel, and comes with a
settings dialog of its own, Tamarel Settings.")
include(CPack)
