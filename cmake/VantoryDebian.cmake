# What an installation adds around the programs, and the Debian package made by CPack
# (scripts/package.sh). Components: programs (VantoryInstall.cmake), sdk
# (VantorySdkPackage.cmake), desktop, system, docs.
set(_pkg ${PROJECT_SOURCE_DIR}/packaging)
set(_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/vantory)

set(VANTORY_PACKAGE_CONTACT "Vantory developers <vantory-dev@example.org>"
  CACHE STRING "Maintainer of the Debian package: name <address>")

# Desktop entries and icons for the two windowed programs, and the software-centre
# description that also names the camera's USB id.
if(TARGET vantory OR TARGET vantory-devlist)
  install(FILES ${_pkg}/desktop/vantory.desktop ${_pkg}/desktop/vantory-devlist.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT desktop)
  install(FILES ${_pkg}/icons/vantory.svg ${_pkg}/icons/vantory-devlist.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT desktop)
  install(FILES ${_pkg}/metainfo/org.vantory.Vantory.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT desktop)
endif()

# The udev rule and the receive-buffer limit live outside the prefix: in /etc/sysctl.d and
# /lib/udev/rules.d when installing to /usr (the package), and below any other prefix
# (lib/sysctl.d and lib/udev/rules.d, which systemd reads for /usr/local), so that a
# staged installation never writes into the system. Decided at install time, because
# CPack installs with its own prefix.
install(CODE "
  if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
    set(_vantory_sysctl_dir /etc/sysctl.d)
    set(_vantory_udev_dir /lib/udev/rules.d)
  else()
    set(_vantory_sysctl_dir \"\${CMAKE_INSTALL_PREFIX}/lib/sysctl.d\")
    set(_vantory_udev_dir \"\${CMAKE_INSTALL_PREFIX}/lib/udev/rules.d\")
  endif()
  file(INSTALL DESTINATION \"\${_vantory_sysctl_dir}\" TYPE FILE
    FILES \"${_pkg}/sysctl/30-vantory-net.conf\")
  file(INSTALL DESTINATION \"\${_vantory_udev_dir}\" TYPE FILE
    FILES \"${_pkg}/udev/70-vantory-camera.rules\")" COMPONENT system)

# Documentation, the examples' sources, the copyright and the changelog.
install(FILES ${PROJECT_SOURCE_DIR}/README.md DESTINATION ${_doc_dir} COMPONENT docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${_doc_dir}/docs COMPONENT docs)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${_doc_dir}/examples COMPONENT docs)

set(VANTORY_MAINTAINER ${VANTORY_PACKAGE_CONTACT})
string(REGEX REPLACE ".*<(.*)>.*" "\\1" VANTORY_CONTACT_EMAIL "${VANTORY_PACKAGE_CONTACT}")
# SOURCE_DATE_EPOCH, when set, fixes the date (scripts/package.sh sets it from git).
string(TIMESTAMP VANTORY_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${_pkg}/debian/copyright ${CMAKE_BINARY_DIR}/package/copyright @ONLY)
configure_file(${_pkg}/debian/changelog.in ${CMAKE_BINARY_DIR}/package/changelog @ONLY)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/package/changelog.gz
  COMMAND ${GZIP_EXECUTABLE} -9nkf ${CMAKE_BINARY_DIR}/package/changelog
  DEPENDS ${CMAKE_BINARY_DIR}/package/changelog VERBATIM)
add_custom_target(vantory_changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/package/changelog.gz)
install(FILES ${CMAKE_BINARY_DIR}/package/copyright ${CMAKE_BINARY_DIR}/package/changelog.gz
  DESTINATION ${_doc_dir} COMPONENT docs)

# ---- The Debian package --------------------------------------------------------------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantory)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VANTORY_PACKAGE_CONTACT})
set(CPACK_PACKAGE_VENDOR "Vantory developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer, SDK and tools for time-of-flight depth cameras")
set(CPACK_PACKAGE_DESCRIPTION
  "Vantory connects to 320 x 240 time-of-flight depth cameras over Ethernet
or USB. The viewer vantory shows distance, amplitude and grayscale
images and a 3-D point cloud, records and plays back, exports PCD, CSV
and images, and configures and maintains the camera. vantory-devlist
lists the cameras on the network, vantory-cli streams, measures and
saves frames without a window, vantory-reset repairs the viewer's
settings files and vantory-camsim is a software camera for tests and
demonstrations.

The device SDK is included as a static library with its headers, a
CMake package (find_package(Vantory)) and a pkg-config file (mvsdk);
building against it needs the Boost and OpenCV development packages.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Not found by dpkg-shlibdeps: Qt's platform plugins are loaded at run time, and the
# Chinese captions need a CJK font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-microhei | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "cmake, pkg-config, libboost-system-dev, libopencv-dev, libpcl-dev")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${_pkg}/debian/postinst ${_pkg}/debian/postrm ${_pkg}/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
# Install with DESTDIR and the prefix /usr, so that the files outside the prefix above
# land in /etc and /lib inside the package.
set(CPACK_SET_DESTDIR ON)
set(CPACK_INSTALL_PREFIX /usr)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
