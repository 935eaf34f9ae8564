# The include check: every file of a folder of src/ includes only headers of its own library's
# folders and of the libraries that library links, directly or through others; a program's
# main.cpp only those of the libraries the program links. The folders, the link graph and the
# include graph then say the same thing: src/api/ cannot include a header of src/driver/, nor
# the core one of the tables library.
#
#   cmake -DMAP=<build>/varno96-folders.cmake -DSOURCE=<source folder> [-DCOMPLETE=ON]
#         -P cmake/IncludeCheck.cmake
#
# MAP is written by varno96_write_folder_map (cmake/Libraries.cmake). With COMPLETE every
# folder of src/ that holds a .cpp or .hpp must belong to a library or a program; without, the
# folders of no library are passed over, and so are includes of their headers. Every fault is
# listed, then the check fails.
cmake_minimum_required(VERSION 3.25)
if(NOT MAP OR NOT SOURCE)
  message(FATAL_ERROR "usage: cmake -DMAP=<map> -DSOURCE=<source folder> -P IncludeCheck.cmake")
endif()
include(${MAP})

# The targets TARGET may use: itself and every target its links reach.
function(reachable TARGET OUT)
  set(seen ${TARGET})
  set(todo ${TARGET})
  while(todo)
    list(POP_FRONT todo t)
    foreach(next IN LISTS VARNO96_LINKS_${t})
      if(next IN_LIST VARNO96_TARGETS AND NOT next IN_LIST seen)
        list(APPEND seen ${next})
        list(APPEND todo ${next})
      endif()
    endforeach()
  endwhile()
  set(${OUT} ${seen} PARENT_SCOPE)
endfunction()

set(faults)
set(src ${SOURCE}/src)

# Every folder of src/ with sources, and the folders of no library or program.
file(GLOB entries LIST_DIRECTORIES true RELATIVE ${src} ${src}/*)
set(folders)
foreach(folder IN LISTS entries)
  file(GLOB files ${src}/${folder}/*.cpp ${src}/${folder}/*.hpp)
  if(NOT IS_DIRECTORY ${src}/${folder} OR NOT files)
    continue()
  endif()
  list(APPEND folders ${folder})
endforeach()

foreach(folder IN LISTS folders)
  file(GLOB files RELATIVE ${src} ${src}/${folder}/*.cpp ${src}/${folder}/*.hpp)
  list(SORT files)
  foreach(file IN LISTS files)
    # The file's target: its program's for a program's main.cpp, else its folder's library's.
    if(DEFINED VARNO96_FILE_${file})
      set(owner ${VARNO96_FILE_${file}})
    elseif(DEFINED VARNO96_FOLDER_${folder})
      set(owner ${VARNO96_FOLDER_${folder}})
    else()
      if(COMPLETE)
        list(APPEND faults "src/${file} belongs to no library or program")
      endif()
      continue()
    endif()
    reachable(${owner} allowed)
    file(STRINGS ${src}/${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*" "\\1" header "${line}")
      # As the compiler looks: beside the file first, then under src/.
      if(EXISTS ${src}/${folder}/${header})
        continue()
      endif()
      string(REGEX MATCH "^[^/]+" to "${header}")
      if(NOT header MATCHES "/" OR NOT EXISTS ${src}/${header})
        list(APPEND faults "src/${file} includes \"${header}\", which is no header of src/")
        continue()
      endif()
      if(NOT DEFINED VARNO96_FOLDER_${to})
        if(COMPLETE)
          list(APPEND faults "src/${file} includes ${header}, a header of no library")
        endif()
        continue()
      endif()
      set(library ${VARNO96_FOLDER_${to}})
      if(NOT library IN_LIST allowed)
        list(APPEND faults
             "src/${file} (${owner}) includes ${header} (${library}), which ${owner} does not link")
      endif()
    endforeach()
  endforeach()
endforeach()

if(faults)
  list(LENGTH faults n)
  list(JOIN faults "\n  " text)
  message(FATAL_ERROR "${n} include(s) outside the libraries linked:\n  ${text}\n"
                      "Add the library to the LINKS of the one that includes it, or move the code.")
endif()
list(LENGTH folders n)
message(STATUS "Includes of the ${n} folders of src/ within the libraries linked")
