# Installs the build into a scratch prefix and builds an outside program
# against it twice: through find_package and through pkg-config.
# cmake -DBUILD_DIR=... -DCONSUMER_DIR=... -DWORK_DIR=... -DCXX=... -DGENERATOR=... -P InstallAndConsume.cmake

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${status}): ${command}\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

function(expect_ok program)
  run(${ARGN} ${program})
  if(NOT run_output STREQUAL "ok\n")
    message(FATAL_ERROR "${program} printed '${run_output}', not 'ok'")
  endif()
endfunction()

set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

foreach(file include/kivJSON/JSONValue.h include/kivCore/UniquePtr.h ${LIBDIR}/libkivJSON.so.1
             ${LIBDIR}/libkivCore.so.1 bin/kivjson ${LIBDIR}/pkgconfig/kivJSON.pc
             ${LIBDIR}/cmake/kivJSON/kivJSONConfig.cmake)
  if(NOT EXISTS ${prefix}/${file})
    message(FATAL_ERROR "not installed: ${file}")
  endif()
endforeach()

# The installed tool runs without any library path set.
run(${prefix}/bin/kivjson --version)

# 1. find_package(kivJSON CONFIG)
run(${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/cmake-build -G ${GENERATOR}
    -DCMAKE_CXX_COMPILER=${CXX} -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=Release)
run(${CMAKE_COMMAND} --build ${WORK_DIR}/cmake-build)
expect_ok(${WORK_DIR}/cmake-build/consumer)

# 2. pkg-config
set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
run(pkg-config --cflags --libs kivJSON)
string(STRIP "${run_output}" flags)
separate_arguments(flags UNIX_COMMAND "${flags}")
run(${CXX} -std=c++17 ${CONSUMER_DIR}/consumer.cpp ${flags} -o ${WORK_DIR}/consumer-pc)
expect_ok(${WORK_DIR}/consumer-pc ${CMAKE_COMMAND} -E env LD_LIBRARY_PATH=${prefix}/${LIBDIR})
