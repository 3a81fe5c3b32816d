# Helpers of the install and subproject tests.

# run(COMMAND...): stops the test with the command's output when it fails;
# leaves its standard output in run_output.
function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    string(REPLACE ";" " " command "${ARGN}")
    message(FATAL_ERROR "failed (${status}): ${command}\n${out}\n${err}")
  endif()
  set(run_output "${out}" PARENT_SCOPE)
endfunction()

# expect_ok(PROGRAM [LAUNCHER...]): the consumer program prints "ok".
function(expect_ok program)
  run(${ARGN} ${program})
  if(NOT run_output STREQUAL "ok\n")
    message(FATAL_ERROR "${program} printed '${run_output}', not 'ok'")
  endif()
endfunction()

# configure_and_build(SOURCE BINARY [CMAKE ARGS...]) with the build's compiler and generator.
function(configure_and_build source binary)
  run(${CMAKE_COMMAND} -S ${source} -B ${binary} -G ${GENERATOR} -DCMAKE_CXX_COMPILER=${CXX}
      -DCMAKE_BUILD_TYPE=Release ${ARGN})
  run(${CMAKE_COMMAND} --build ${binary})
endfunction()
