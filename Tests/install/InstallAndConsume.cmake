# Builds outside programs against kivJSON as users get it.
# 1. The Debian packages (DEB_DIR, made by the PackageDeb test) unpacked into a
#    scratch root: the consumer through find_package and through pkg-config
#    (plain paths, no ..), and the examples the -dev package ships, built through
#    find_package and run.
# 2. A prefix install (cmake --install, as the README's home-folder route): the
#    files are there, the tool runs with no library path set, and the consumer
#    builds through pkg-config. It stays beside the packages because it is the
#    way in off Debian, and its layout and run paths come from other rules.
# cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DCXX=... -DGENERATOR=... -DLIBDIR=...
#       [-DDEB_DIR=...] -P InstallAndConsume.cmake
include(${CMAKE_CURRENT_LIST_DIR}/Common.cmake)
set(consumer ${CMAKE_CURRENT_LIST_DIR}/consumer)
file(REMOVE_RECURSE ${WORK_DIR})

# ROOT: the prefix the .pc file names, below SYSROOT (the unpacked packages) if given.
function(consume_with_pkg_config root name sysroot)
  set(ENV{PKG_CONFIG_PATH} ${sysroot}${root}/${LIBDIR}/pkgconfig)
  set(ENV{PKG_CONFIG_SYSROOT_DIR} ${sysroot})
  run(pkg-config --cflags --libs kivJSON)
  if(NOT run_output MATCHES "^-I${sysroot}${root}/include -L${sysroot}${root}/${LIBDIR} ")
    message(FATAL_ERROR "pkg-config printed paths other than the plain ones: ${run_output}")
  endif()
  string(STRIP "${run_output}" flags)
  separate_arguments(flags UNIX_COMMAND "${flags}")
  run(${CXX} -std=c++17 ${consumer}/consumer.cpp ${flags} -o ${WORK_DIR}/${name})
  expect_ok(${WORK_DIR}/${name} ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${sysroot}${root}/${LIBDIR})
endfunction()

# --- 1. the unpacked packages ---------------------------------------------------
if(DEB_DIR)
  set(root ${WORK_DIR}/root)
  file(MAKE_DIRECTORY ${root})
  foreach(package libkivjson1 libkivjson-dev)
    file(GLOB deb ${DEB_DIR}/${package}_*.deb)
    if(NOT deb)
      message(FATAL_ERROR "no ${package} package in ${DEB_DIR}")
    endif()
    run(dpkg-deb -x ${deb} ${root})
  endforeach()
  # The unpacked libraries are not where the loader looks, as /usr/lib/<multiarch> would be.
  set(loader ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${root}/usr/${LIBDIR})
  configure_and_build(${consumer} ${WORK_DIR}/deb-cmake -DCMAKE_PREFIX_PATH=${root}/usr)
  expect_ok(${WORK_DIR}/deb-cmake/consumer ${loader})
  consume_with_pkg_config(/usr consumer-deb-pc ${root})
  # The examples the -dev package ships are a project of their own; its tests check the output.
  configure_and_build(${root}/usr/share/doc/libkivjson-dev/examples ${WORK_DIR}/examples
                      -DCMAKE_PREFIX_PATH=${root}/usr
                      -DCMAKE_CXX_FLAGS=-Werror)
  run(${loader} ${CMAKE_CTEST_COMMAND} --test-dir ${WORK_DIR}/examples --output-on-failure --no-tests=error)
endif()

# --- 2. a prefix install ------------------------------------------------------------
set(prefix ${WORK_DIR}/prefix)
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
foreach(file include/kivJSON/JSONValue.h include/kivCore/UniquePtr.h ${LIBDIR}/libkivJSON.so.1
             ${LIBDIR}/libkivCore.so.1 bin/kivjson ${LIBDIR}/pkgconfig/kivJSON.pc
             ${LIBDIR}/cmake/kivJSON/kivJSONConfig.cmake)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()
run(${prefix}/bin/kivjson --version)
consume_with_pkg_config(${prefix} consumer-prefix-pc "")
