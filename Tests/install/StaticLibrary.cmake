# Builds kivJSON as static libraries (BUILD_SHARED_LIBS=OFF) with the examples,
# runs the examples' tests and checks that they load no kivJSON library.
# cmake -DSOURCE_DIR=... -DWORK_DIR=... -DCXX=... -DGENERATOR=... -P StaticLibrary.cmake
include(${CMAKE_CURRENT_LIST_DIR}/Common.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
configure_and_build(${SOURCE_DIR} ${WORK_DIR} -DBUILD_SHARED_LIBS=OFF -DKIVJSON_BUILD_TESTS=OFF
                    -DKIVJSON_BUILD_TOOLS=OFF -DKIVJSON_BUILD_EXAMPLES=ON)
run(${CMAKE_CTEST_COMMAND} --test-dir ${WORK_DIR} --output-on-failure --no-tests=error)
if(NOT EXISTS ${WORK_DIR}/libkivJSON.a)
  message(FATAL_ERROR "no libkivJSON.a in ${WORK_DIR}")
endif()
run(readelf -d ${WORK_DIR}/examples/read_fields)
if(run_output MATCHES "libkiv")
  message(FATAL_ERROR "the examples load a kivJSON library:\n${run_output}")
endif()
