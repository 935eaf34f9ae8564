# Runs one golden case: varno96 in a fresh working directory with the case's scripted
# standard input, then compares console output, standard error, exit status and every file
# the run left behind with the golden files, byte for byte.
#
#   cmake -DBIN=... -DCASE=<case dir> -DWORK=<scratch dir> [-DREGENERATE=ON]
#         -P run_case.cmake
#
# A case directory holds:
#   stdin           the answers, one per line
#   seed            optional: the Monte-Carlo seed, given as --seed
#   setup/          optional: files put in the working directory before the run
#   mkdirs          optional: names of directories to create there (a file that cannot be
#                   created, even by root)
#   expect/console, expect/stderr, expect/status
#   expect/files/   every file the run created or changed in the working directory

set(RUN ${WORK}.run)
file(REMOVE_RECURSE ${WORK} ${RUN})
file(MAKE_DIRECTORY ${WORK} ${RUN})
if(EXISTS ${CASE}/setup)
  file(COPY ${CASE}/setup/ DESTINATION ${WORK})
endif()
if(EXISTS ${CASE}/mkdirs)
  file(STRINGS ${CASE}/mkdirs DIRS)
  foreach(D ${DIRS})
    file(MAKE_DIRECTORY ${WORK}/${D})
  endforeach()
endif()

set(ARGS "")
if(EXISTS ${CASE}/seed)
  file(STRINGS ${CASE}/seed SEED LIMIT_COUNT 1)
  set(ARGS --seed=${SEED})
endif()

execute_process(
  COMMAND ${BIN} ${ARGS}
  WORKING_DIRECTORY ${WORK}
  INPUT_FILE ${CASE}/stdin
  OUTPUT_FILE ${RUN}/console
  ERROR_FILE ${RUN}/stderr
  RESULT_VARIABLE STATUS
  TIMEOUT 60)
file(WRITE ${RUN}/status "${STATUS}\n")

# The files the run produced: all in the working directory but unchanged setup files.
file(GLOB_RECURSE PRODUCED LIST_DIRECTORIES false RELATIVE ${WORK} ${WORK}/*)
set(MADE "")
foreach(F ${PRODUCED})
  if(EXISTS ${CASE}/setup/${F})
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${F} ${CASE}/setup/${F}
                    RESULT_VARIABLE SAME)
    if(SAME EQUAL 0)
      continue()
    endif()
  endif()
  list(APPEND MADE ${F})
endforeach()

if(REGENERATE)
  file(REMOVE_RECURSE ${CASE}/expect)
  file(MAKE_DIRECTORY ${CASE}/expect/files)
  file(COPY ${RUN}/console ${RUN}/stderr ${RUN}/status DESTINATION ${CASE}/expect)
  foreach(F ${MADE})
    file(COPY ${WORK}/${F} DESTINATION ${CASE}/expect/files)
  endforeach()
  message(STATUS "regenerated ${CASE}")
  return()
endif()

find_program(DIFF diff)
set(FAILED "")
macro(COMPARE ACTUAL EXPECTED LABEL)
  if(NOT EXISTS ${EXPECTED})
    list(APPEND FAILED "${LABEL}: produced, but no golden file")
  elseif(NOT EXISTS ${ACTUAL})
    list(APPEND FAILED "${LABEL}: golden file, but not produced")
  else()
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ACTUAL} ${EXPECTED}
                    RESULT_VARIABLE DIFFERENT)
    if(NOT DIFFERENT EQUAL 0)
      list(APPEND FAILED "${LABEL}: differs")
      if(DIFF)
        execute_process(COMMAND ${DIFF} -u --text ${EXPECTED} ${ACTUAL})
      endif()
    endif()
  endif()
endmacro()

foreach(F console stderr status)
  COMPARE(${RUN}/${F} ${CASE}/expect/${F} ${F})
endforeach()
file(GLOB_RECURSE WANTED LIST_DIRECTORIES false RELATIVE ${CASE}/expect/files ${CASE}/expect/files/*)
set(ALL ${MADE} ${WANTED})
list(REMOVE_DUPLICATES ALL)
foreach(F ${ALL})
  COMPARE(${WORK}/${F} ${CASE}/expect/files/${F} ${F})
endforeach()

if(FAILED)
  string(REPLACE ";" "\n  " FAILED "${FAILED}")
  message(FATAL_ERROR "golden case ${CASE}:\n  ${FAILED}")
endif()
