cmake_minimum_required(VERSION 3.25)
# Fails when a ```cpp block of DOC is not, line for line, part of SOURCES
# (indentation aside), so the guide only shows code that is built and run.
# cmake -DDOC=docs/API.md -DSOURCES=examples/api_tour.cpp -P CheckSnippets.cmake
# With -DPROGRAM=<file.cpp> instead, writes a program made of the guide's
# ```cpp header block and each ```cpp block as a function of its own, so that
# every block is built and run as a reader pastes it: alone (```cpp file
# blocks, declarations, stay at namespace scope).
file(READ ${DOC} doc)
set(code "")
foreach(source IN LISTS SOURCES)
  file(READ ${source} text)
  string(APPEND code "${text}")
endforeach()
string(REGEX REPLACE "\n[ \t]+" "\n" code "\n${code}")

if(PROGRAM)
  string(FIND "${doc}" "```cpp header\n" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "no ```cpp header block in ${DOC}")
  endif()
  math(EXPR start "${start} + 14")
  string(SUBSTRING "${doc}" ${start} -1 program)
  string(FIND "${program}" "```" end)
  string(SUBSTRING "${program}" 0 ${end} program)
  set(calls "")
endif()

# A block fenced as ```cpp file declares types or functions: the program keeps
# it at namespace scope, in front of the blocks that use it.
string(REPLACE "```cpp file\n" "```cpp\n@FILE@" doc "${doc}")
set(missing 0)
set(blocks 0)
while(TRUE)
  string(FIND "${doc}" "```cpp\n" start)
  if(start EQUAL -1)
    break()
  endif()
  math(EXPR start "${start} + 7")
  string(SUBSTRING "${doc}" ${start} -1 doc)
  string(FIND "${doc}" "```" end)
  string(SUBSTRING "${doc}" 0 ${end} block)
  string(SUBSTRING "${doc}" ${end} -1 doc)
  math(EXPR blocks "${blocks} + 1")
  string(REGEX MATCH "^@FILE@" file_scope "${block}")
  string(REGEX REPLACE "^@FILE@" "" block "${block}")
  if(PROGRAM AND file_scope)
    string(APPEND program "\n${block}")
    continue()
  elseif(PROGRAM)
    string(APPEND program "\nstatic void Block${blocks}() {\n${block}}\n")
    string(APPEND calls "    Block${blocks}();\n")
    continue()
  endif()
  string(REGEX REPLACE "\n[ \t]+" "\n" block "\n${block}")
  string(FIND "${code}" "${block}" found)
  if(found EQUAL -1)
    message(SEND_ERROR "snippet ${blocks} of ${DOC} is not in the built examples:${block}")
    math(EXPR missing "${missing} + 1")
  endif()
endwhile()
if(blocks EQUAL 0)
  message(FATAL_ERROR "no ```cpp blocks found in ${DOC}")
elseif(PROGRAM)
  # A block may end where the reader's own code would take its results on.
  file(WRITE ${PROGRAM} "// Written from ${DOC}: each block of the guide alone.\n"
                        "#pragma GCC diagnostic ignored \"-Wunused-but-set-variable\"\n${program}\n"
                        "int main() {\n${calls}}\n")
else()
  message(STATUS "${blocks} snippets checked, ${missing} missing")
endif()
