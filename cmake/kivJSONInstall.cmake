# Install layout, CMake package, pkg-config file and the Debian package.
#
#   include/kivJSON/*.h, include/kivCore/*.h   public headers
#   lib/libkivJSON.so.1, lib/libkivCore.so.1   versioned shared libraries
#   bin/kivjson                                the command-line tool
#   lib/cmake/kivJSON/                         find_package(kivJSON CONFIG)
#   lib/pkgconfig/kivJSON.pc                   pkg-config --cflags --libs kivJSON
include(CMakePackageConfigHelpers)

set(KIVJSON_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/kivJSON)

# libkivJSON.so.1 finds libkivCore.so.1 beside it wherever the prefix is.
set_target_properties(kivJSON PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS kivCore kivJSON
  EXPORT kivJSONTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime
    NAMELINK_COMPONENT Development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY Source/Platform/kivJSON Source/Platform/kivCore
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Development
  FILES_MATCHING PATTERN "*.h"
  PATTERN internal EXCLUDE)  # the library's own walkers; no public header includes them
if(TARGET kivjson)
  install(TARGETS kivjson RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Runtime)
endif()

install(EXPORT kivJSONTargets
  NAMESPACE kivJSON::
  DESTINATION ${KIVJSON_INSTALL_CMAKEDIR} COMPONENT Development)
configure_package_config_file(cmake/kivJSONConfig.cmake.in
  ${CMAKE_CURRENT_BINARY_DIR}/kivJSONConfig.cmake
  INSTALL_DESTINATION ${KIVJSON_INSTALL_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/kivJSONConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kivJSONConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/kivJSONConfigVersion.cmake
  DESTINATION ${KIVJSON_INSTALL_CMAKEDIR} COMPONENT Development)

# The .pc file finds its prefix from its own location, so the tree can be
# installed under any --prefix (or moved) after configuring.
file(RELATIVE_PATH KIVJSON_PC_TO_PREFIX
  ${CMAKE_INSTALL_FULL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" KIVJSON_PC_TO_PREFIX "${KIVJSON_PC_TO_PREFIX}")
configure_file(cmake/kivJSON.pc.in ${CMAKE_CURRENT_BINARY_DIR}/kivJSON.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kivJSON.pc
  DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT Development)

# cpack -G DEB: one package with the libraries, headers, CMake files and tool.
set(CPACK_PACKAGE_NAME kivjson)
set(CPACK_PACKAGE_VENDOR "kivJSON")
set(CPACK_PACKAGE_CONTACT "kivJSON developers <kivjson@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "kivJSON developers <kivjson@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
find_program(KIVJSON_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KIVJSON_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6")
endif()
include(CPack)

# An outside consumer is built without sanitizers, so it cannot link a sanitized build.
if(KIVJSON_BUILD_TESTS AND NOT KIVJSON_SANITIZE)
  add_test(NAME InstallAndConsume
    COMMAND ${CMAKE_COMMAND}
      -DBUILD_DIR=${CMAKE_BINARY_DIR}
      -DCONSUMER_DIR=${CMAKE_CURRENT_SOURCE_DIR}/Tests/install/consumer
      -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/install-test
      -DCXX=${CMAKE_CXX_COMPILER}
      -DGENERATOR=${CMAKE_GENERATOR}
      -P ${CMAKE_CURRENT_SOURCE_DIR}/Tests/install/InstallAndConsume.cmake)
  set_tests_properties(InstallAndConsume PROPERTIES TIMEOUT 300)
  find_program(KIVJSON_DPKG_DEB dpkg-deb)
  if(KIVJSON_DPKG_DEB)
    add_test(NAME PackageDeb
      COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
        -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/package-test
        -P ${CMAKE_CURRENT_SOURCE_DIR}/Tests/install/PackageDeb.cmake)
    set_tests_properties(PackageDeb PROPERTIES TIMEOUT 300)
  endif()
endif()
