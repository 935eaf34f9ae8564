# Libraries are folders. Each library of src/ is made of every .cpp and .hpp of the folders it
# names, looked for again whenever a file is added to or removed from one of them, so that a
# new file needs no edit here. A folder's main.cpp is not its library's but its program's
# (varno96_program). Every folder and every program is recorded with its target and the
# targets it links.

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
