# Installation under a prefix (/usr for the Debian package) and the package
# itself, made by CPack from the same install rules: no second build and no
# debian/ folder to keep in step with the CMake files.
include(GNUInstallDirs)
# cpack installs what is built; it must not build every test and benchmark first.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(ROZARO_LINUX_DIR ${PROJECT_SOURCE_DIR}/resources/linux)
set(ROZARO_APP_ID gr.rozaro.Rozaro)

install(TARGETS rozaro rozaro-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Read-only resources: the installed program finds them in ../share/rozaro
# beside its bin/ folder. The report templates are compiled in.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/Addon ${PROJECT_SOURCE_DIR}/resources/Help
  DESTINATION ${CMAKE_INSTALL_DATADIR}/rozaro PATTERN .keep EXCLUDE)
install(FILES ${ROZARO_LINUX_DIR}/${ROZARO_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${ROZARO_LINUX_DIR}/${ROZARO_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES ${ROZARO_LINUX_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/rozaro)

# Manual pages and the changelog go in compressed, without a time stamp, as
# Debian's policy wants them.
find_program(GZIP_EXECUTABLE gzip REQUIRED)
set(compressed)
foreach(pair "rozaro.1;man1/rozaro.1.gz" "rozaro-cli.1;man1/rozaro-cli.1.gz" "changelog;doc/changelog.gz")
  list(GET pair 0 source)
  list(GET pair 1 target)
  set(out ${CMAKE_BINARY_DIR}/linux/${target})
  get_filename_component(out_dir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
    COMMAND ${GZIP_EXECUTABLE} -9nc ${ROZARO_LINUX_DIR}/${source} > ${out}
    DEPENDS ${ROZARO_LINUX_DIR}/${source} VERBATIM)
  list(APPEND compressed ${out})
endforeach()
add_custom_target(rozaro_linux_files ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/linux/man1/rozaro.1.gz ${CMAKE_BINARY_DIR}/linux/man1/rozaro-cli.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/linux/doc/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/rozaro)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME rozaro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "annual declaration of wages paid and tax withheld")
set(CPACK_PACKAGE_DESCRIPTION "Rozaro is the desktop program with which a public-sector employer keys in,
checks and writes its annual declaration of the wages and pensions it paid
and the tax it withheld, as one fixed-width text file. Its windows are in
Greek. The console command rozaro-cli checks, sorts, prints and packs
declaration files without a window.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Rozaro developers <rozaro@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the programs link (Qt, libgsf, zlib ...) are found
# by dpkg-shlibdeps; the font the windows are drawn with is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
# The portal command hands its address to the desktop's browser through
# xdg-open; without it that menu entry does nothing.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# Folders that the installation makes on its way (/usr/share/rozaro,
# /usr/share/doc/rozaro) take the builder's umask: built under umask 077 they
# would reach the package as drwx------ and only root could read the lists.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageFolderModes.cmake)
include(CPack)
