# The include check (cmake/IncludeCheck.cmake) on small houses made here, each a tree of
# sources under WORK with a map of its libraries, and what the check must say of it.
#
#   cmake -DWORK=<scratch folder> -DCHECK=<source>/cmake/IncludeCheck.cmake -P include_check_test.cmake
cmake_minimum_required(VERSION 3.25)

# A house like the real one: a file as path:include,include... (an include holding a '#' is
# the whole line).
set(house
  "src/state/types.hpp:"
  "src/scene/scene.hpp:state/types.hpp"
  "src/api/batch.hpp:scene/scene.hpp"
  "src/api/batch.cpp:api/batch.hpp,state/types.hpp"
  "src/driver/dialogue.hpp:state/types.hpp"
  "src/driver/start.cpp:driver/dialogue.hpp"
  "src/driver/main.cpp:cli/cli.hpp,driver/dialogue.hpp"
  "src/cli/cli.hpp:state/types.hpp"
  "src/plot/plot.hpp:scene/scene.hpp"
  "src/plot/canvas.cpp:plot/plot.hpp,state/types.hpp"
  "src/batch/main.cpp:api/batch.hpp,cli/cli.hpp,plot/plot.hpp")
set(map [=[
set(VARNO96_FOLDERS "state;scene;api;driver;cli;plot")
set(VARNO96_PROGRAMS "driver/main.cpp;batch/main.cpp")
set(VARNO96_TARGETS "core;scene;tables;dialogue;cli;plot;varno96;varno96-batch")
set(VARNO96_FOLDER_state core)
set(VARNO96_FOLDER_scene scene)
set(VARNO96_FOLDER_api tables)
set(VARNO96_FOLDER_driver dialogue)
set(VARNO96_FOLDER_cli cli)
set(VARNO96_FOLDER_plot plot)
set(VARNO96_FILE_driver/main.cpp varno96)
set(VARNO96_FILE_batch/main.cpp varno96-batch)
set(VARNO96_LINKS_core "")
set(VARNO96_LINKS_scene "core")
set(VARNO96_LINKS_tables "core;scene;Threads::Threads")
set(VARNO96_LINKS_dialogue "core")
set(VARNO96_LINKS_cli "core;CLI11::CLI11")
set(VARNO96_LINKS_plot "scene;cli")
set(VARNO96_LINKS_varno96 "dialogue;cli")
set(VARNO96_LINKS_varno96-batch "tables;cli;plot")
]=])

set(failures)

# check(NAME COMPLETE EXPECT file...): the house with the files given added or replaced; the
# check passes when EXPECT is empty, else fails with EXPECT in its message.
function(check NAME COMPLETE EXPECT)
  set(root ${WORK}/${NAME})
  file(REMOVE_RECURSE ${root})
  foreach(entry IN LISTS house ARGN)
    string(REGEX REPLACE ":.*" "" path "${entry}")
    string(REGEX REPLACE "^[^:]*:" "" includes "${entry}")
    string(REPLACE "," ";" includes "${includes}")
    set(text "// ${path}\n")
    foreach(include IN LISTS includes)
      if(include MATCHES "#")
        string(APPEND text "${include}\n")
      else()
        string(APPEND text "#include \"${include}\"\n")
      endif()
    endforeach()
    file(WRITE ${root}/${path} "${text}")
  endforeach()
  file(WRITE ${root}/map.cmake "${map}")
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DMAP=${root}/map.cmake -DSOURCE=${root} -DCOMPLETE=${COMPLETE}
            -P ${CHECK}
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(REGEX REPLACE "[ \t\r\n]+" " " said "${out}")
  if(EXPECT STREQUAL "" AND NOT status EQUAL 0)
    set(fault "fails, but should pass:\n${out}")
  elseif(NOT EXPECT STREQUAL "" AND status EQUAL 0)
    set(fault "passes, but should fail with \"${EXPECT}\"")
  elseif(NOT EXPECT STREQUAL "")
    string(FIND "${said}" "${EXPECT}" at)
    if(at LESS 0)
      set(fault "fails without \"${EXPECT}\":\n${out}")
    endif()
  endif()
  if(fault)
    set(failures ${failures} "${NAME} ${fault}" PARENT_SCOPE)
  endif()
endfunction()

check(house ON "")
# Through the links' links: the plot reaches the core through the scene.
check(through-links ON "" "src/plot/output.cpp:state/types.hpp")
# As the compiler looks: beside the file first.
check(beside-the-file ON "" "src/driver/start.cpp:dialogue.hpp")
check(api-includes-the-dialogue ON
      "src/api/batch.cpp (tables) includes driver/dialogue.hpp (dialogue), which tables does not link"
      "src/api/batch.cpp:api/batch.hpp,  #  include \"driver/dialogue.hpp\"  // blanks")
check(core-includes-the-tables ON
      "src/state/types.hpp (core) includes api/batch.hpp (tables)"
      "src/state/types.hpp:api/batch.hpp")
# What the program links is not its library's.
check(library-includes-what-its-program-links ON
      "src/driver/start.cpp (dialogue) includes cli/cli.hpp (cli)"
      "src/driver/start.cpp:driver/dialogue.hpp,cli/cli.hpp")
check(program-includes-what-it-does-not-link ON
      "src/driver/main.cpp (varno96) includes api/batch.hpp (tables)"
      "src/driver/main.cpp:driver/dialogue.hpp,api/batch.hpp")
check(file-of-no-library ON "src/loose/loose.cpp belongs to no library or program"
      "src/loose/loose.cpp:state/types.hpp")
check(header-of-no-library ON "src/api/batch.cpp includes loose/loose.hpp, a header of no library"
      "src/loose/loose.hpp:" "src/api/batch.cpp:loose/loose.hpp")
check(file-beside-a-program ON "src/batch/loose.hpp belongs to no library or program"
      "src/batch/loose.hpp:")
# A configuration without every folder passes over the others.
check(partial OFF "" "src/loose/loose.cpp:state/types.hpp" "src/api/batch.cpp:loose/loose.cpp")
check(no-such-header ON "src/api/batch.cpp includes \"api/none.hpp\", which is no header of src/"
      "src/api/batch.cpp:api/none.hpp")

if(failures)
  list(JOIN failures "\n" text)
  message(FATAL_ERROR "${text}")
endif()
