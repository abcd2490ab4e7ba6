# One static library per folder: every .cpp of the folder (and of the listed subfolders)
# goes in, so adding a module never means editing a build file.
function(orrelo_library name)
  cmake_parse_arguments(ARG "" "" "SUBDIRS;DEPS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  foreach(ex IN LISTS ARG_EXCLUDE)
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${ex})
  endforeach()
  foreach(sub IN LISTS ARG_SUBDIRS)
    file(GLOB more CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp)
    list(APPEND sources ${more})
  endforeach()
  if(NOT sources)
    set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# Every test runs with the leak suppressions for system libraries, however ctest is started.
set(ORRELO_TEST_ENV "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/scripts/lsan.supp:print_suppressions=0")

# One test program per library: tests/<lib>/*.cpp linked with the library and the shared main.
function(orrelo_tests lib)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${lib}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${lib} ${sources})
  target_link_libraries(test_${lib} PRIVATE ${lib} orrelo_testmain ${ARG_DEPS} GTest::gtest GTest::gmock)
  target_compile_definitions(test_${lib} PRIVATE
    ORRELO_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    ORRELO_TEST_OUTPUT="${CMAKE_BINARY_DIR}/test-output")
  add_test(NAME ${lib} COMMAND test_${lib} --gtest_brief=1)
  set_tests_properties(${lib} PROPERTIES TIMEOUT 900 ENVIRONMENT "${ORRELO_TEST_ENV}")
endfunction()

# A fuzz target: fuzz/<name>.cpp defines LLVMFuzzerTestOneInput. Normally built with a plain
# driver that replays the seed corpus and every regression file; with ORRELO_LIBFUZZER it is
# a real libFuzzer binary (scripts/fuzz).
function(orrelo_fuzz name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  set(exe fuzz_${name})
  set(dirs ${CMAKE_SOURCE_DIR}/fuzz/corpus/${name} ${CMAKE_SOURCE_DIR}/tests/data/crashers/${name})
  if(ORRELO_LIBFUZZER)
    add_executable(${exe} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp)
    target_link_options(${exe} PRIVATE -fsanitize=fuzzer)
    add_test(NAME fuzz_replay_${name}
      COMMAND ${CMAKE_SOURCE_DIR}/scripts/fuzz-replay $<TARGET_FILE:${exe}> ${dirs})
  else()
    add_executable(${exe} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.cpp ${CMAKE_CURRENT_SOURCE_DIR}/Driver.cpp)
    add_test(NAME fuzz_replay_${name} COMMAND ${exe} ${dirs})
  endif()
  target_link_libraries(${exe} PRIVATE ${ARG_DEPS})
  set_tests_properties(fuzz_replay_${name} PROPERTIES TIMEOUT 120 ENVIRONMENT "${ORRELO_TEST_ENV}")
endfunction()
