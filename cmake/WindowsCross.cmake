# What a cross-build for Windows needs besides the toolchain: the header-only
# libraries of the build machine (CLI11, nlohmann-json) without the rest of its
# /usr/include, and GoogleTest built from the sources Debian ships with the cross
# compiler.
if(NOT WIN32)
  return()
endif()

# Only the two libraries' own folders are put on the include path.
set(VELMOR_HOST_HEADERS ${CMAKE_BINARY_DIR}/host-headers)
file(MAKE_DIRECTORY ${VELMOR_HOST_HEADERS})
foreach(folder CLI nlohmann)
  if(NOT EXISTS /usr/include/${folder})
    message(FATAL_ERROR "/usr/include/${folder} is missing: install libcli11-dev and nlohmann-json3-dev")
  endif()
  file(CREATE_LINK /usr/include/${folder} ${VELMOR_HOST_HEADERS}/${folder} SYMBOLIC)
endforeach()
add_library(velmor_host_headers INTERFACE)
target_include_directories(velmor_host_headers SYSTEM INTERFACE ${VELMOR_HOST_HEADERS})
add_library(nlohmann_json::nlohmann_json ALIAS velmor_host_headers)
set(nlohmann_json_FOUND TRUE)

if(VELMOR_BUILD_TESTS)
  set(VELMOR_GTEST_SOURCES /usr/src/googletest CACHE PATH "GoogleTest's sources")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${VELMOR_GTEST_SOURCES} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # GoogleTest's own build names its targets GTest::gtest, GTest::gmock and so on.
  set(GTest_FOUND TRUE)
endif()
