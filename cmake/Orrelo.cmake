# The floors, kept by the compiler. A folder's headers are reached through an include root
# of its own in the build folder: <build>/include/<name>/<name>/..., one symbolic link per
# header. Each library exports its root to the targets that link it, and only to them, so a
# library's compile line sees its own headers and those of the libraries it stands on, never
# the source root: an include up a floor ("parts/..." from engine) does not compile. Links
# are made per file, never per folder: through a folder link, "engine/../topics/X.h" would
# step back into the source tree. The headers are globbed with CONFIGURE_DEPENDS, so a new
# header makes the next build re-run CMake, which links it; a link whose header went is
# removed. Only links are ever touched (a header generated into a root stays), and nothing
# is written into the source tree.
#
#   orrelo_header_root(<folder> <root> [PRIVATE_HEADERS <glob>...])
# links the headers below <source>/<folder> into <root>/<folder>/; headers matching a
# PRIVATE_HEADERS glob go into <root>-private/<folder>/ instead. Sets <folder>_HEADER_ROOT
# (and <folder>_PRIVATE_HEADER_ROOT) in the caller's scope.
function(orrelo_header_root folder root)
  cmake_parse_arguments(ARG "" "" "PRIVATE_HEADERS" ${ARGN})
  set(source ${CMAKE_SOURCE_DIR}/${folder})
  file(GLOB_RECURSE headers CONFIGURE_DEPENDS RELATIVE ${source} ${source}/*.h)
  set(private)
  foreach(pattern IN LISTS ARG_PRIVATE_HEADERS)
    file(GLOB_RECURSE matched CONFIGURE_DEPENDS RELATIVE ${source} ${source}/${pattern})
    list(APPEND private ${matched})
  endforeach()
  if(private)
    list(REMOVE_ITEM headers ${private})
  endif()
  _orrelo_link_headers(${source} ${root}/${folder} "${headers}")
  set(${folder}_HEADER_ROOT ${root} PARENT_SCOPE)
  if(ARG_PRIVATE_HEADERS)
    _orrelo_link_headers(${source} ${root}-private/${folder} "${private}")
    set(${folder}_PRIVATE_HEADER_ROOT ${root}-private PARENT_SCOPE)
  endif()
endfunction()

# Makes <into>/<h> a link to <source>/<h> for each header h, and removes other links below <into>.
function(_orrelo_link_headers source into headers)
  file(MAKE_DIRECTORY ${into})
  foreach(h IN LISTS headers)
    set(link ${into}/${h})
    if(IS_SYMLINK ${link})
      file(READ_SYMLINK ${link} target)
      if(target STREQUAL ${source}/${h})
        continue()
      endif()
    endif()
    get_filename_component(dir ${link} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    file(CREATE_LINK ${source}/${h} ${link} SYMBOLIC)
  endforeach()
  file(GLOB_RECURSE present LIST_DIRECTORIES false RELATIVE ${into} ${into}/*)
  foreach(h IN LISTS present)
    if(IS_SYMLINK ${into}/${h} AND NOT h IN_LIST headers)
      file(REMOVE ${into}/${h})
    endif()
  endforeach()
endfunction()

set(ORRELO_INCLUDE_DIR ${CMAKE_BINARY_DIR}/include)

# Tests, tools, benchmarks and fuzz targets stand above every floor: they may include any
# library they link. The headers they share ("tests/TestWait.h", "tools/common/GifWriter.h",
# "bench/DecoderTiming.h") come through one root of their own, which this target carries.
add_library(orrelo_above_floors INTERFACE)
foreach(folder tests tools bench fuzz)
  orrelo_header_root(${folder} ${ORRELO_INCLUDE_DIR}/above)
endforeach()
target_include_directories(orrelo_above_floors INTERFACE ${ORRELO_INCLUDE_DIR}/above)

# One static library per folder: every .cpp of the folder (and of the listed subfolders)
# goes in, so adding a module never means editing a build file. Its headers are reached
# through its include root (above); DEPS are the libraries it stands on, whose roots it sees
# and passes on to its own dependants. PRIVATE_HEADERS: globs of headers for the library's
# own sources only, kept out of the root its dependants see.
function(orrelo_library name)
  cmake_parse_arguments(ARG "" "" "SUBDIRS;DEPS;PRIVATE_DEPS;EXCLUDE;PRIVATE_HEADERS" ${ARGN})
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
  orrelo_header_root(${name} ${ORRELO_INCLUDE_DIR}/${name} PRIVATE_HEADERS ${ARG_PRIVATE_HEADERS})
  target_include_directories(${name} PUBLIC ${${name}_HEADER_ROOT})
  if(ARG_PRIVATE_HEADERS)
    target_include_directories(${name} PRIVATE ${${name}_PRIVATE_HEADER_ROOT})
  endif()
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  target_link_libraries(${name} PRIVATE ${ARG_PRIVATE_DEPS})
endfunction()

# Every test runs with the leak suppressions for system libraries, however ctest is started;
# and with no session bus unless it starts one itself (the screen-reader tests do): asked for
# a bus that is not there, the bus library would fork a launcher from a program whose other
# threads may hold the sanitizer's allocator lock, and the child, stuck before it can run the
# launcher, would hang the program's start-up.
set(ORRELO_TEST_ENV
  "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/scripts/lsan.supp:print_suppressions=0"
  "DBUS_SESSION_BUS_ADDRESS=disabled:")

# One test program per library: tests/<lib>/*.cpp linked with the library and the shared main.
function(orrelo_tests lib)
  cmake_parse_arguments(ARG "PRINTS" "" "DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${lib}/*.cpp)
  if(NOT sources)
    return()
  endif()
  add_executable(test_${lib} ${sources})
  target_link_libraries(test_${lib} PRIVATE ${lib} orrelo_testmain orrelo_above_floors ${ARG_DEPS} GTest::gtest
    GTest::gmock)
  target_compile_definitions(test_${lib} PRIVATE
    ORRELO_TEST_DATA="${CMAKE_SOURCE_DIR}/tests/data"
    ORRELO_TEST_OUTPUT="${CMAKE_BINARY_DIR}/test-output")
  # Programs whose tests print run with a print spooler of their own.
  if(ARG_PRINTS)
    add_test(NAME ${lib} COMMAND ${CMAKE_SOURCE_DIR}/tests/desktop/with-print-spooler.sh --
      $<TARGET_FILE:test_${lib}> --gtest_brief=1)
  else()
    add_test(NAME ${lib} COMMAND test_${lib} --gtest_brief=1)
  endif()
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
  target_link_libraries(${exe} PRIVATE ${ARG_DEPS} orrelo_above_floors)
  set_tests_properties(fuzz_replay_${name} PROPERTIES TIMEOUT 120 ENVIRONMENT "${ORRELO_TEST_ENV}")
endfunction()
