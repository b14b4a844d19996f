# cmake -DSOURCE_DIR=<top of the tree> -P test_code_boundary_check.cmake
#
# The tests may use anything, but nothing else may use the tests: what the
# tools, the benchmarks and the fuzz targets share with them lives outside
# tests/. So no C++ file outside tests/ includes a header from there, and no
# CMake file outside it names a source, an include folder or a library of
# the tests; the only way in is the top file adding the test folders. Fails
# naming every line that breaks this.
set(violations "")
file(GLOB top_entries LIST_DIRECTORIES true RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
set(sources "")
foreach(entry IN LISTS top_entries)
  # Build folders and hidden ones are not the tree's sources.
  if(entry STREQUAL "tests" OR entry MATCHES "^(build|\\.)")
    continue()
  endif()
  if(IS_DIRECTORY "${SOURCE_DIR}/${entry}")
    file(GLOB_RECURSE found "${SOURCE_DIR}/${entry}/*.h" "${SOURCE_DIR}/${entry}/*.cpp"
         "${SOURCE_DIR}/${entry}/CMakeLists.txt" "${SOURCE_DIR}/${entry}/*.cmake")
    list(APPEND sources ${found})
  elseif(entry MATCHES "^CMakeLists\\.txt$")
    list(APPEND sources "${SOURCE_DIR}/${entry}")
  endif()
endforeach()

foreach(source IN LISTS sources)
  file(RELATIVE_PATH where "${SOURCE_DIR}" "${source}")
  if(source MATCHES "\\.(h|cpp)$")
    file(STRINGS "${source}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]tests/")
  else()
    file(STRINGS "${source}" lines REGEX "tests/|/tests|kestrun_test_")
    if(where STREQUAL "CMakeLists.txt")
      list(FILTER lines EXCLUDE REGEX "^[ \t]*add_subdirectory\\(tests(/win32)?\\)[ \t]*$")
    endif()
  endif()
  foreach(line IN LISTS lines)
    string(APPEND violations "\n  ${where}: ${line}")
  endforeach()
endforeach()
if(violations)
  message(FATAL_ERROR "only tests/ may use what tests/ holds:${violations}")
endif()
