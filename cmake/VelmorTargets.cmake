# velmor_library(NAME DIR <folder under src> [DEPS targets...])
# A static library made of every .cpp in the folder (not recursive), with the
# src/ folder on the include path so headers are included as "usb/usb_link.h".
function(velmor_library name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/${ARG_DIR}/*.cpp)
  velmor_platform_sources(sources)
  velmor_static_or_headers(${name} "${sources}" "${ARG_DEPS}")
endfunction()

# The one place where a platform's side of each seam is chosen: a file ending in
# _win.cpp is built for Windows only, one ending in _posix.cpp everywhere else.
function(velmor_platform_sources list_var)
  set(kept ${${list_var}})
  if(WIN32)
    list(FILTER kept EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER kept EXCLUDE REGEX "_win\\.cpp$")
  endif()
  set(${list_var} ${kept} PARENT_SCOPE)
endfunction()

# A static library of `sources`, or a header-only one while the folder has none yet.
function(velmor_static_or_headers name sources deps)
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${deps} Threads::Threads PRIVATE velmor_warnings)
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${deps} Threads::Threads)
  endif()
endfunction()

# velmor_test(NAME DIR <folder under tests> [THREADS] [DEPS targets...])
# One GoogleTest executable of every .cpp in the folder, registered with ctest.
# Tests carry their folder as label; THREADS marks suites whose code runs threads
# with the label "threads" instead, which the ThreadSanitizer preset runs.
function(velmor_test name)
  cmake_parse_arguments(ARG "THREADS" "DIR" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${ARG_DIR}/*.cpp)
  velmor_platform_sources(sources)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock GTest::gtest_main
                        velmor_warnings)
  target_compile_definitions(${name} PRIVATE
    VELMOR_FIXTURES_DIR="${PROJECT_SOURCE_DIR}/tests/fixtures")
  set(label ${ARG_DIR})
  if(ARG_THREADS)
    set(label threads)
  endif()
  # Under Wine a process that has finished its test can still fail on its way out
  # (the loader's exit, seen once in some thousands of runs): there what GoogleTest
  # printed decides, not the emulator's exit code.
  set(emulated)
  if(CMAKE_CROSSCOMPILING)
    set(emulated PASS_REGULAR_EXPRESSION "PASSED[^0-9]+1.test")
  endif()
  # Listing a suite's tests is itself a run of it: under Wine on a busy machine it
  # can take longer than the 5 s CMake allows by default, which fails the whole run.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
               ENVIRONMENT_MODIFICATION "XDG_STATE_HOME=set:${CMAKE_BINARY_DIR}/test-state"
               TIMEOUT 120 LABELS ${label} ${emulated})
endfunction()
