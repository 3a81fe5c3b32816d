# Builds and runs the consumer with kivJSON's source tree inside its own build.
# cmake -DSOURCE_DIR=... -DWORK_DIR=... -DCXX=... -DGENERATOR=... -DWAY=add_subdirectory|FetchContent
#       -P Subproject.cmake
include(${CMAKE_CURRENT_LIST_DIR}/Common.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
configure_and_build(${CMAKE_CURRENT_LIST_DIR}/subproject ${WORK_DIR} -DKIVJSON_WAY=${WAY}
                    -DKIVJSON_SOURCE_DIR=${SOURCE_DIR})
# A subproject builds only the libraries: no tests, examples or tool of kivJSON's own.
foreach(absent kivJSON/Tests kivJSON/examples _deps/kivjson-build/Tests _deps/kivjson-build/examples)
  if(EXISTS ${WORK_DIR}/${absent})
    message(FATAL_ERROR "the subproject built ${absent}")
  endif()
endforeach()
expect_ok(${WORK_DIR}/consumer)
