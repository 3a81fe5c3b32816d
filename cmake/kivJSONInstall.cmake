# Install layout, CMake package, pkg-config file and the Debian package.
#
#   include/kivJSON/*.h, include/kivCore/*.h   public headers
#   LIBDIR/libkivJSON.so.1, libkivCore.so.1    versioned shared libraries
#   bin/kivjson, share/man/man1/kivjson.1.gz   the command-line tool
#   LIBDIR/cmake/kivJSON/                      find_package(kivJSON CONFIG)
#   LIBDIR/pkgconfig/kivJSON.pc                pkg-config --cflags --libs kivJSON
#   share/doc/<package>/copyright              the licence, once per package
#   share/doc/libkivjson-dev/                  README, API guide, examples
#
# LIBDIR is lib/<multiarch> (lib/x86_64-linux-gnu) on Debian for every prefix,
# so that one build gives both the Debian packages and a $HOME/.local install;
# -DCMAKE_INSTALL_LIBDIR=lib changes it.
include(CMakePackageConfigHelpers)

set(KIVJSON_INSTALL_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/kivJSON)

# libkivJSON.so.1 finds libkivCore.so.1 beside it wherever the prefix is.
set_target_properties(kivJSON PROPERTIES INSTALL_RPATH "$ORIGIN")

install(TARGETS kivCore kivJSON
  EXPORT kivJSONTargets
  LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Runtime
    NAMELINK_COMPONENT Development
  ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT Development
  INCLUDES DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(DIRECTORY Source/Platform/kivJSON Source/Platform/kivCore
  DESTINATION ${CMAKE_INSTALL_INCLUDEDIR} COMPONENT Development
  FILES_MATCHING PATTERN "*.h"
  PATTERN internal EXCLUDE)  # the library's own walkers; no public header includes them
if(TARGET kivjson)
  install(TARGETS kivjson RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT Tool)
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

# The .pc file names the prefix it is installed under, written at install time
# (so --prefix and the packages' /usr take effect): pkg-config then prints plain
# paths such as -I/usr/include. A tree moved after installing needs its prefix=
# line changed, or an install to the new place.
set(KIVJSON_PC_PREFIX @KIVJSON_PC_PREFIX@)  # filled in at install time
configure_file(cmake/kivJSON.pc.in ${CMAKE_CURRENT_BINARY_DIR}/kivJSON.pc.in @ONLY)
install(CODE "
  file(READ \"${CMAKE_CURRENT_BINARY_DIR}/kivJSON.pc.in\" pc)
  string(REPLACE \"@KIVJSON_PC_PREFIX@\" \"\${CMAKE_INSTALL_PREFIX}\" pc \"\${pc}\")
  file(WRITE \"${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/kivJSON.pc\" \"\${pc}\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig\" TYPE FILE
       FILES \"${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/kivJSON.pc\")" COMPONENT Development)

# --- Licence, changelog and man page -------------------------------------------
# Each Debian package carries the licence as /usr/share/doc/<package>/copyright
# (machine-readable format) and a changelog.Debian.gz; a prefix install gets the
# same tree under <prefix>/share/doc.
set(KIVJSON_PACKAGE_MAINTAINER "kivJSON developers <maintainers@kivjson.example>" CACHE STRING
    "Maintainer field of the Debian packages (whoever publishes them puts their own address)")
set(KIVJSON_PACKAGE_RELEASE 1)
set(KIVJSON_PACKAGE_VERSION ${PROJECT_VERSION}-${KIVJSON_PACKAGE_RELEASE})
set(KIVJSON_PACKAGE_SOURCE kivjson)
set(KIVJSON_PACKAGE_RUNTIME libkivjson1)
set(KIVJSON_PACKAGE_DEVELOPMENT libkivjson-dev)
set(KIVJSON_PACKAGE_TOOL kivjson)

file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE license_lines)
list(FILTER license_lines EXCLUDE REGEX "^(MIT License|Copyright)")
list(POP_FRONT license_lines)  # the blank line after the copyright line
set(KIVJSON_LICENSE_TEXT "")
foreach(line IN LISTS license_lines)
  if(line STREQUAL "")
    set(line ".")
  endif()
  string(APPEND KIVJSON_LICENSE_TEXT " ${line}\n")
endforeach()
string(STRIP "${KIVJSON_LICENSE_TEXT}" KIVJSON_LICENSE_TEXT)
string(PREPEND KIVJSON_LICENSE_TEXT " ")
set(debian_dir ${CMAKE_CURRENT_BINARY_DIR}/debian)
configure_file(cmake/debian/copyright.in ${debian_dir}/copyright @ONLY)
configure_file(cmake/debian/changelog.in ${debian_dir}/changelog @ONLY)
# gzip -n: no name or time stamp, so the packages are reproducible.
foreach(file changelog)
  execute_process(COMMAND gzip -9nc ${debian_dir}/${file} OUTPUT_FILE ${debian_dir}/${file}.Debian.gz)
endforeach()
execute_process(COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/docs/kivjson.1 OUTPUT_FILE ${debian_dir}/kivjson.1.gz)

foreach(component Runtime Development Tool)
  string(TOUPPER ${component} upper)
  install(FILES ${debian_dir}/copyright ${debian_dir}/changelog.Debian.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${KIVJSON_PACKAGE_${upper}} COMPONENT ${component})
endforeach()
if(TARGET kivjson)
  install(FILES ${debian_dir}/kivjson.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT Tool)
endif()

# Under /usr the loader finds everything in its default path, and Debian wants
# no run path there: drop it (a prefix such as $HOME/.local keeps it).
# A stripped install (cmake --install --strip, and the packages) strips as
# Debian's dh_strip does: no .comment and .note sections, and libraries keep
# only the symbols needed for linking.
set(strip_files "")
set(strip_components "")
if(KIVJSON_BUILD_SHARED)
  set(strip_files ${CMAKE_INSTALL_LIBDIR}/libkivJSON.so.${PROJECT_VERSION}
                  ${CMAKE_INSTALL_LIBDIR}/libkivCore.so.${PROJECT_VERSION})
  set(strip_components Runtime Runtime)
endif()
if(TARGET kivjson)
  list(APPEND strip_files ${CMAKE_INSTALL_BINDIR}/kivjson)
  list(APPEND strip_components Tool)
endif()
foreach(file component IN ZIP_LISTS strip_files strip_components)
  set(unneeded "")
  if(file MATCHES "[.]so[.]")
    set(unneeded --strip-unneeded)
  endif()
  install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
      file(RPATH_REMOVE FILE \"\$ENV{DESTDIR}/usr/${file}\")
    endif()
    if(CMAKE_INSTALL_DO_STRIP)
      execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
        ${unneeded} \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${file}\" COMMAND_ERROR_IS_FATAL ANY)
    endif()" COMPONENT ${component})
endforeach()

# lintian's one false positive on the runtime package, explained in the file;
# only the package carries it (cpack installs its components by name).
if(KIVJSON_BUILD_SHARED)
  configure_file(cmake/debian/lintian-overrides.in ${debian_dir}/${KIVJSON_PACKAGE_RUNTIME} @ONLY)
  install(FILES ${debian_dir}/${KIVJSON_PACKAGE_RUNTIME}
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides COMPONENT Runtime EXCLUDE_FROM_ALL)
endif()

# The -dev package's documentation: the README and the guide (compressed, as
# Debian compresses documentation), and the examples as a project of their own
# (cmake -S /usr/share/doc/libkivjson-dev/examples -B build).
foreach(doc README.md docs/API.md)
  get_filename_component(name ${doc} NAME)
  execute_process(COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/${doc} OUTPUT_FILE ${debian_dir}/${name}.gz)
  install(FILES ${debian_dir}/${name}.gz
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${KIVJSON_PACKAGE_DEVELOPMENT} COMPONENT Development)
endforeach()
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/API.md ${PROJECT_SOURCE_DIR}/docs/kivjson.1)
install(DIRECTORY examples/
  DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${KIVJSON_PACKAGE_DEVELOPMENT}/examples
  COMPONENT Development FILES_MATCHING PATTERN "*.cpp" PATTERN "*.json" PATTERN "CMakeLists.txt")

# --- cpack -G DEB: three packages, shaped as Debian ships a library ---------------
#   libkivjson1     libkivJSON.so.1 and libkivCore.so.1 in the multiarch folder
#   libkivjson-dev  headers, the unversioned .so links, CMake package, kivJSON.pc
#   kivjson         the command-line tool and its man page
set(CPACK_PACKAGE_NAME ${KIVJSON_PACKAGE_SOURCE})
set(CPACK_PACKAGE_VENDOR "kivJSON")
set(CPACK_PACKAGE_CONTACT "${KIVJSON_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL Runtime Development)
if(TARGET kivjson)
  list(APPEND CPACK_COMPONENTS_ALL Tool)
endif()
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KIVJSON_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KIVJSON_PACKAGE_RELEASE})
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SOURCE ${KIVJSON_PACKAGE_SOURCE})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
# Each component's description starts with its own synopsis line.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "")
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME ${KIVJSON_PACKAGE_RUNTIME})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SECTION libs)
# The loader's cache is refreshed through libc's trigger. (CPack also writes
# postinst/postrm scripts calling ldconfig for any library under /usr/lib:
# redundant, and harmless.)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/cmake/debian/triggers)
# The symbols file, so that a program's package depends on the oldest release
# that has every symbol it uses. cmake/debian/libkivjson1.symbols records each
# exported symbol with the release that brought it; at package time
# dpkg-gensymbols checks the built libraries against it (a symbol gone fails
# the build) and writes the control file, new symbols marked with this release.
find_program(KIVJSON_DPKG_GENSYMBOLS dpkg-gensymbols)
if(KIVJSON_DPKG_GENSYMBOLS)
  file(GENERATE OUTPUT ${debian_dir}/gensymbols.cmake CONTENT "
execute_process(COMMAND ${KIVJSON_DPKG_GENSYMBOLS} -p${KIVJSON_PACKAGE_RUNTIME} -v${PROJECT_VERSION}
    -e$<TARGET_FILE:kivJSON> -e$<TARGET_FILE:kivCore> -c1
    -I${PROJECT_SOURCE_DIR}/cmake/debian/libkivjson1.symbols -O${debian_dir}/symbols
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR \"dpkg-gensymbols: the libraries lost symbols of an earlier release:\\n\${out}\")
endif()
")
  set(CPACK_PRE_BUILD_SCRIPTS ${debian_dir}/gensymbols.cmake)
  list(APPEND CPACK_DEBIAN_RUNTIME_PACKAGE_CONTROL_EXTRA ${debian_dir}/symbols)
endif()
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION "JSON parser, writer and value model for C++17 (shared libraries)
kivJSON parses JSON text (UTF-8 or wide strings and streams) into a tree of
values, lets programs build, query, change, copy and compare such trees, and
writes them back as compact JSON.

This package holds the shared libraries libkivJSON and libkivCore, the core
text functions kivJSON is built on.")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME ${KIVJSON_PACKAGE_DEVELOPMENT})
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "${KIVJSON_PACKAGE_RUNTIME} (= ${KIVJSON_PACKAGE_VERSION})")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION "JSON parser, writer and value model for C++17 (development files)
kivJSON parses JSON text (UTF-8 or wide strings and streams) into a tree of
values, lets programs build, query, change, copy and compare such trees, and
writes them back as compact JSON.

This package holds the headers, the link-time libraries, the CMake package
(find_package(kivJSON CONFIG)) and the pkg-config file.")
set(CPACK_DEBIAN_TOOL_PACKAGE_NAME ${KIVJSON_PACKAGE_TOOL})
set(CPACK_DEBIAN_TOOL_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_TOOL_PACKAGE_DEPENDS "${KIVJSON_PACKAGE_RUNTIME} (= ${KIVJSON_PACKAGE_VERSION})")
set(CPACK_DEBIAN_TOOL_DESCRIPTION "command-line tool to check, reformat and query JSON documents
kivjson validates JSON documents and reports errors with their line and
column, writes documents compact or indented, prints the value at a JSON
Pointer and counts values by type.")

# dpkg-shlibdeps adds the C and C++ runtime packages; the libraries' own shlibs
# file lets other packages depend on them the same way.
find_program(KIVJSON_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(KIVJSON_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  # The tool's own libraries come from the runtime package's staging folder.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ../Runtime/usr/${CMAKE_INSTALL_LIBDIR})
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6")
endif()
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The packages hold shared libraries: a static build makes none.
if(KIVJSON_TOP_LEVEL AND KIVJSON_BUILD_SHARED)
  include(CPack)
endif()

# An outside consumer is built without sanitizers, so it cannot link a sanitized
# build. PackageDeb makes the packages that InstallAndConsume unpacks.
if(KIVJSON_BUILD_TESTS AND NOT KIVJSON_SANITIZE AND KIVJSON_BUILD_SHARED)
  set(install_test_args -DSOURCE_DIR=${CMAKE_CURRENT_SOURCE_DIR} -DCXX=${CMAKE_CXX_COMPILER}
      -DGENERATOR=${CMAKE_GENERATOR} -DLIBDIR=${CMAKE_INSTALL_LIBDIR})
  set(deb_dir ${CMAKE_CURRENT_BINARY_DIR}/package-test)
  find_program(KIVJSON_DPKG_DEB dpkg-deb)
  if(KIVJSON_DPKG_DEB)
    add_test(NAME PackageDeb
      COMMAND ${CMAKE_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR} -DWORK_DIR=${deb_dir}
        -DLIBDIR=${CMAKE_INSTALL_LIBDIR}
        -P ${CMAKE_CURRENT_SOURCE_DIR}/Tests/install/PackageDeb.cmake)
    set_tests_properties(PackageDeb PROPERTIES TIMEOUT 300 FIXTURES_SETUP kivjson_debs)
  else()
    set(deb_dir "")
  endif()
  add_test(NAME InstallAndConsume
    COMMAND ${CMAKE_COMMAND} ${install_test_args} -DBUILD_DIR=${CMAKE_BINARY_DIR}
      -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/install-test -DDEB_DIR=${deb_dir}
      -P ${CMAKE_CURRENT_SOURCE_DIR}/Tests/install/InstallAndConsume.cmake)
  set_tests_properties(InstallAndConsume PROPERTIES TIMEOUT 600 FIXTURES_REQUIRED kivjson_debs)
  # The source tree inside another project's build, both ways.
  foreach(way add_subdirectory FetchContent)
    add_test(NAME Subproject.${way}
      COMMAND ${CMAKE_COMMAND} ${install_test_args} -DWAY=${way}
        -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/subproject-test/${way}
        -P ${CMAKE_CURRENT_SOURCE_DIR}/Tests/install/Subproject.cmake)
    set_tests_properties(Subproject.${way} PROPERTIES TIMEOUT 300)
  endforeach()
  add_test(NAME StaticLibrary
    COMMAND ${CMAKE_COMMAND} ${install_test_args} -DWORK_DIR=${CMAKE_CURRENT_BINARY_DIR}/static-test
      -P ${CMAKE_CURRENT_SOURCE_DIR}/Tests/install/StaticLibrary.cmake)
  set_tests_properties(StaticLibrary PROPERTIES TIMEOUT 300)
endif()
