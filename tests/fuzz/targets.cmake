# The fuzz targets: <name>_fuzz.cpp each, with corpus/<name>/ and regressions/<name>/.
set(VARNO96_FUZZ_TARGETS number datafile dialogue batch table_named table_datafile)

# What a target needs besides the core library: the dialogue for the dialogue and its data file
# reader, the tables library for the batch and the readers of tables.
function(varno96_fuzz_setup TARGET NAME)
  target_include_directories(${TARGET} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz)
  target_link_libraries(${TARGET} PRIVATE varno96core)
  if(NAME STREQUAL "dialogue" OR NAME STREQUAL "datafile")
    target_link_libraries(${TARGET} PRIVATE varno96dialogue)
  endif()
  if(NAME STREQUAL "dialogue")
    target_compile_definitions(${TARGET} PRIVATE
      VARNO96_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
  endif()
  if(NAME STREQUAL "batch" OR NAME MATCHES "^table_")
    target_link_libraries(${TARGET} PRIVATE varno96tables)
  endif()
endfunction()
