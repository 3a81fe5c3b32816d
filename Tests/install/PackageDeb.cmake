# Builds the Debian package into a scratch directory and checks what it holds.
# cmake -DBUILD_DIR=... -DWORK_DIR=... -P PackageDeb.cmake
file(REMOVE_RECURSE ${WORK_DIR})
execute_process(COMMAND cpack --config ${BUILD_DIR}/CPackConfig.cmake -G DEB -B ${WORK_DIR}
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
file(GLOB debs ${WORK_DIR}/*.deb)
if(NOT status EQUAL 0 OR NOT debs)
  message(FATAL_ERROR "cpack failed (${status}):\n${out}\n${err}")
endif()
execute_process(COMMAND dpkg-deb --contents ${debs} OUTPUT_VARIABLE contents)
foreach(file usr/bin/kivjson usr/lib/libkivJSON.so.1 usr/lib/libkivCore.so.1
             usr/include/kivJSON/JSONValue.h usr/include/kivCore/UniquePtr.h
             usr/lib/pkgconfig/kivJSON.pc usr/lib/cmake/kivJSON/kivJSONConfig.cmake)
  string(FIND "${contents}" "./${file}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${debs} lacks ${file}:\n${contents}")
  endif()
endforeach()
