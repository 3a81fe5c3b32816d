# Builds the Debian package into a scratch directory and checks what it holds.
# cmake -DBUILD_DIR=... -DWORK_DIR=... -P PackageDeb.cmake
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND cpack --config ${BUILD_DIR}/CPackConfig.cmake -G DEB -B ${WORK_DIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB debs ${WORK_DIR}/*.deb)
if(NOT status EQUAL 0 OR NOT debs)
  message(FATAL_ERROR "cpack failed (${status}):\n${out}\n${err}")
endif()
# Each package holds its own part, and its licence.
set(libkivjson1 usr/${LIBDIR}/libkivJSON.so.1 usr/${LIBDIR}/libkivCore.so.1.)
set(libkivjson-dev usr/${LIBDIR}/libkivJSON.so usr/include/kivJSON/JSONValue.h
    usr/include/kivCore/UniquePtr.h usr/${LIBDIR}/pkgconfig/kivJSON.pc
    usr/${LIBDIR}/cmake/kivJSON/kivJSONConfig.cmake usr/share/doc/libkivjson-dev/README.md.gz
    usr/share/doc/libkivjson-dev/API.md.gz usr/share/doc/libkivjson-dev/examples/read_fields.cpp)
set(kivjson usr/bin/kivjson usr/share/man/man1/kivjson.1.gz)
foreach(package libkivjson1 libkivjson-dev kivjson)
  file(GLOB deb ${WORK_DIR}/${package}_*.deb)
  if(NOT deb)
    message(FATAL_ERROR "no package ${package} among ${debs}")
  endif()
  execute_process(COMMAND dpkg-deb --contents ${deb} OUTPUT_VARIABLE contents)
  foreach(file ${${package}} usr/share/doc/${package}/copyright)
    string(FIND "${contents}" "./${file}" found)
    if(found EQUAL -1)
      message(FATAL_ERROR "${deb} lacks ${file}:\n${contents}")
    endif()
  endforeach()
endforeach()
# The runtime package carries the symbols file, every symbol of release 1.0.0 at
# 1.0.0 (a program using only those runs on any 1.x).
find_program(dpkg_gensymbols dpkg-gensymbols)
if(dpkg_gensymbols)
  file(GLOB deb ${WORK_DIR}/libkivjson1_*.deb)
  execute_process(COMMAND dpkg-deb --info ${deb} symbols OUTPUT_VARIABLE symbols RESULT_VARIABLE status)
  if(NOT status EQUAL 0 OR NOT symbols MATCHES "libkivJSON.so.1 libkivjson1 #MINVER#"
     OR NOT symbols MATCHES "\n _ZN9JsonValue5ParseERKNSt7__cxx1112basic_string[^\n]*@Base 1\\.0\\.0\n")
    message(FATAL_ERROR "libkivjson1 lacks its symbols file, or JsonValue::Parse is not at 1.0.0:\n${symbols}")
  endif()
endif()
# lintian as Debian's archive runs it: no error or warning but the accepted
# ones, and no note about hardening or stripping.
#   maintscript-calls-ldconfig: CPack writes postinst/postrm scripts calling
#   ldconfig for every library under /usr/lib, with no switch to leave them out;
#   the package's ldconfig trigger already does the job, so they only repeat it.
# (The runtime package carries its one override, explained in the override file.)
find_program(lintian lintian)
if(lintian)
  execute_process(COMMAND ${lintian} -EvIL +pedantic ${debs} OUTPUT_VARIABLE out ERROR_VARIABLE err)
  string(REGEX MATCHALL "\n([EW]: |[IP]: [^ ]+ (hardening-|binary-has-unneeded-section))[^\n]*" tags "\n${out}")
  list(FILTER tags EXCLUDE REGEX ": maintscript-calls-ldconfig ")
  if(tags)
    message(FATAL_ERROR "lintian:${tags}")
  endif()
endif()
