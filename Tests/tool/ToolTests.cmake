# Tests of the kivjson program, run as a user runs it.
foreach(group check get pretty minify stats usage patch)
  add_test(NAME kivjson.${group}
    COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/tool_tests.sh $<TARGET_FILE:kivjson> ${group})
endforeach()
add_test(NAME kivjson.manpage COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/tool_tests.sh
  $<TARGET_FILE:kivjson> manpage ${PROJECT_SOURCE_DIR}/docs/kivjson.1)
