# Libraries are folders. Each library of src/ is made of every .cpp and .hpp of the folders it
# names, looked for again whenever a file is added to or removed from one of them, so that a
# new file needs no edit here. A folder's main.cpp is not its library's but its program's
# (varno96_program). Every folder and every program is recorded with its target and the
# targets it links: the map the include check reads (cmake/IncludeCheck.cmake), in which a
# file may include the headers of its own library's folders and of the libraries that library
# links, directly or through others.

# varno96_library(NAME FOLDERS folder... [LINKS target...] [EXCEPT folder/file...])
# A static library of the folders under src/, with src/ as its include folder, linking LINKS;
# EXCEPT leaves out files of those folders that are built otherwise.
function(varno96_library NAME)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "FOLDERS;LINKS;EXCEPT")
  set(sources)
  foreach(folder IN LISTS arg_FOLDERS)
    get_property(owner GLOBAL PROPERTY VARNO96_FOLDER_${folder})
    if(owner)
      message(FATAL_ERROR "src/${folder} is a folder of ${owner} already")
    endif()
    if(NOT IS_DIRECTORY ${PROJECT_SOURCE_DIR}/src/${folder})
      message(FATAL_ERROR "${NAME}: there is no folder src/${folder}")
    endif()
    file(GLOB found CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${folder}/*.cpp
         ${PROJECT_SOURCE_DIR}/src/${folder}/*.hpp)
    list(REMOVE_ITEM found ${PROJECT_SOURCE_DIR}/src/${folder}/main.cpp)
    list(APPEND sources ${found})
    set_property(GLOBAL PROPERTY VARNO96_FOLDER_${folder} ${NAME})
    set_property(GLOBAL APPEND PROPERTY VARNO96_FOLDERS ${folder})
  endforeach()
  foreach(file IN LISTS arg_EXCEPT)
    list(REMOVE_ITEM sources ${PROJECT_SOURCE_DIR}/src/${file})
  endforeach()
  add_library(${NAME} STATIC ${sources})
  target_include_directories(${NAME} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${NAME} PUBLIC ${arg_LINKS})
  set_property(GLOBAL APPEND PROPERTY VARNO96_TARGETS ${NAME})
  set_property(GLOBAL PROPERTY VARNO96_LINKS_${NAME} ${arg_LINKS})
endfunction()

# varno96_program(NAME FOLDER folder [LINKS target...])
# The program of src/<folder>/main.cpp, linking LINKS.
function(varno96_program NAME)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "FOLDER" "LINKS")
  add_executable(${NAME} ${PROJECT_SOURCE_DIR}/src/${arg_FOLDER}/main.cpp)
  target_link_libraries(${NAME} PRIVATE ${arg_LINKS})
  set_property(GLOBAL APPEND PROPERTY VARNO96_TARGETS ${NAME})
  set_property(GLOBAL PROPERTY VARNO96_LINKS_${NAME} ${arg_LINKS})
  set_property(GLOBAL APPEND PROPERTY VARNO96_PROGRAMS ${arg_FOLDER}/main.cpp)
  set_property(GLOBAL PROPERTY VARNO96_FILE_${arg_FOLDER}/main.cpp ${NAME})
endfunction()

# The map of this configuration into FILE, as CMake code: VARNO96_FOLDERS and VARNO96_FOLDER_<f>
# (its library), VARNO96_PROGRAMS (folder/main.cpp) and VARNO96_FILE_<folder/main.cpp> (its
# program), VARNO96_TARGETS and VARNO96_LINKS_<target>.
function(varno96_write_folder_map FILE)
  set(text "# Made by cmake/Libraries.cmake: the folders of src/, their libraries and links.\n")
  foreach(list IN ITEMS VARNO96_FOLDERS VARNO96_PROGRAMS VARNO96_TARGETS)
    get_property(items GLOBAL PROPERTY ${list})
    string(APPEND text "set(${list} \"${items}\")\n")
  endforeach()
  get_property(folders GLOBAL PROPERTY VARNO96_FOLDERS)
  foreach(folder IN LISTS folders)
    get_property(owner GLOBAL PROPERTY VARNO96_FOLDER_${folder})
    string(APPEND text "set(VARNO96_FOLDER_${folder} ${owner})\n")
  endforeach()
  get_property(programs GLOBAL PROPERTY VARNO96_PROGRAMS)
  foreach(file IN LISTS programs)
    get_property(owner GLOBAL PROPERTY VARNO96_FILE_${file})
    string(APPEND text "set(VARNO96_FILE_${file} ${owner})\n")
  endforeach()
  get_property(targets GLOBAL PROPERTY VARNO96_TARGETS)
  foreach(target IN LISTS targets)
    get_property(links GLOBAL PROPERTY VARNO96_LINKS_${target})
    string(APPEND text "set(VARNO96_LINKS_${target} \"${links}\")\n")
  endforeach()
  file(CONFIGURE OUTPUT ${FILE} CONTENT "${text}" @ONLY)
endfunction()

# The include check on the map of this configuration (written by varno96_write_folder_map into
# the build folder), at configure time. COMPLETE: every folder of src/ is configured here, so
# that a folder of no library is an error too; otherwise (the page, the module alone, no
# PLplot) only the folders configured are checked, and includes of the others are passed over.
function(varno96_check_includes COMPLETE)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -DMAP=${PROJECT_BINARY_DIR}/varno96-folders.cmake
            -DSOURCE=${PROJECT_SOURCE_DIR} -DCOMPLETE=${COMPLETE}
            -P ${PROJECT_SOURCE_DIR}/cmake/IncludeCheck.cmake
    RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "The include check failed:\n${out}")
  endif()
endfunction()
