# Every fuzz target replayed in the ordinary test build, without the fuzzing engine: its seed
# corpus and every input that once was a finding.
include(${CMAKE_CURRENT_LIST_DIR}/targets.cmake)

foreach(NAME ${VARNO96_FUZZ_TARGETS})
  add_executable(fuzz_replay_${NAME}
    ${CMAKE_CURRENT_LIST_DIR}/${NAME}_fuzz.cpp ${CMAKE_CURRENT_LIST_DIR}/replay_main.cpp)
  varno96_fuzz_setup(fuzz_replay_${NAME} ${NAME})
  add_test(NAME fuzz.${NAME}
    COMMAND fuzz_replay_${NAME} ${CMAKE_CURRENT_LIST_DIR}/corpus/${NAME}
            ${CMAKE_CURRENT_LIST_DIR}/regressions/${NAME})
endforeach()
