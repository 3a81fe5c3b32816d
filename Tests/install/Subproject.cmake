# Builds and runs the consumer with kivJSON's source tree inside its own build.
# cmake -DSOURCE_DIR=... -DWORK_DIR=... -DCXX=... -DGENERATOR=... -DWAY=add_subdirectory|FetchContent
#       -P Subproject.cmake
include(${CMAKE_CURRENT_LIST_DIR}/Common.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
# add_subdirectory keeps kivJSON's defaults as a subproject (not installed,
# warnings not errors); FetchContent asks for both.
if(WAY STREQUAL "FetchContent")
  set(asked -DKIVJSON_INSTALL=ON -DKIVJSON_WERROR=ON)
endif()
configure_and_build(${CMAKE_CURRENT_LIST_DIR}/subproject ${WORK_DIR} -DKIVJSON_WAY=${WAY}
                    -DKIVJSON_SOURCE_DIR=${SOURCE_DIR} -DCMAKE_EXPORT_COMPILE_COMMANDS=ON ${asked})
file(READ ${WORK_DIR}/compile_commands.json commands)
run(${CMAKE_COMMAND} --install ${WORK_DIR} --prefix ${WORK_DIR}/prefix)
if(commands MATCHES " -Werror " AND NOT asked)
  message(FATAL_ERROR "kivJSON's -Werror reaches the parent's build")
elseif(EXISTS ${WORK_DIR}/prefix/include/kivJSON/JSONValue.h AND NOT asked)
  message(FATAL_ERROR "the parent's install installs kivJSON")
elseif(asked AND NOT (commands MATCHES " -Werror " AND EXISTS ${WORK_DIR}/prefix/include/kivJSON/JSONValue.h))
  message(FATAL_ERROR "KIVJSON_INSTALL or KIVJSON_WERROR was not honoured")
endif()
# A subproject builds only the libraries: no tests, examples or tool of kivJSON's own.
foreach(absent kivJSON/Tests kivJSON/examples _deps/kivjson-build/Tests _deps/kivjson-build/examples)
  if(EXISTS ${WORK_DIR}/${absent})
    message(FATAL_ERROR "the subproject built ${absent}")
  endif()
endforeach()
expect_ok(${WORK_DIR}/consumer)
