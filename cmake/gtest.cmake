# GoogleTest from its source, built with the same compiler as the tests.
set(MORVESSA_GTEST_DIR "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${MORVESSA_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# morvessa_gtest(<name> SOURCES ... [LIBS ...])
# A GoogleTest program registered with CTest. Cross-built programs run through
# CMAKE_CROSSCOMPILING_EMULATOR (Wine, or qemu-i386 for the 32-bit Linux build).
function(morvessa_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest_main ${ARG_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  morvessa_warnings(${name})
  morvessa_static_link(${name})
  add_test(NAME ${name} COMMAND ${name})
endfunction()
