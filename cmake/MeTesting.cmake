# GoogleTest for both builds and me_add_gtest() to declare a test program.
#
# Natively the system package is used. For Windows there is no prebuilt
# GoogleTest, so it is built from the system's sources with the cross compiler.

if(CMAKE_CROSSCOMPILING)
  set(ME_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources for the cross build")
  if(NOT EXISTS ${ME_GTEST_SOURCE_DIR}/CMakeLists.txt)
    message(FATAL_ERROR "No GoogleTest sources in ${ME_GTEST_SOURCE_DIR} (Debian package googletest)")
  endif()
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(${ME_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  # GoogleTest's own build defines the GTest:: names the system package has.
  set(ME_TEST_LABEL windows)

  # A ctest fixture around all Windows tests: one prepared Wine prefix and, when
  # there is no DISPLAY, one Xvfb for the run (scripts/wine-session).
  set(ME_WINE_SESSION_DIR ${CMAKE_BINARY_DIR}/wine-session)
  set(me_wine_session ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-session)
  add_test(NAME wine_session_start COMMAND ${me_wine_session} start ${ME_WINE_SESSION_DIR})
  add_test(NAME wine_session_stop COMMAND ${me_wine_session} stop ${ME_WINE_SESSION_DIR})
  set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP me_wine_session
                       LABELS windows TIMEOUT 600)
  set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP me_wine_session
                       LABELS windows TIMEOUT 60)
else()
  find_package(GTest REQUIRED)
  set(ME_TEST_LABEL native)
endif()

# me_add_gtest(NAME name SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT seconds])
# Builds a test program with gtest_main and gmock, registers it with ctest as one
# test (under Wine in the Windows build), labelled native or windows.
function(me_add_gtest)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS")
  if(NOT arg_NAME OR NOT arg_SOURCES)
    message(FATAL_ERROR "me_add_gtest needs NAME and SOURCES")
  endif()
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "me_add_gtest: unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(NOT arg_TIMEOUT)
    set(arg_TIMEOUT 300)
  endif()

  add_executable(${arg_NAME} ${arg_SOURCES})
  target_link_libraries(${arg_NAME} PRIVATE ${arg_LIBS} GTest::gmock GTest::gtest_main)

  # One ctest entry per program: under Wine every process start costs a Wine
  # start, so discovering and running each case on its own would be slow.
  add_test(NAME ${arg_NAME} COMMAND ${arg_NAME})
  set(labels ${ME_TEST_LABEL} ${arg_LABELS})
  set_tests_properties(${arg_NAME} PROPERTIES LABELS "${labels}" TIMEOUT ${arg_TIMEOUT})
  if(CMAKE_CROSSCOMPILING)
    me_wine_test(${arg_NAME})
  endif()
endfunction()

# Makes a test that runs a Windows program use the Wine session of the ctest run.
# One at a time: they share one display, and a window that another program
# brings to the front takes the keyboard from the one a test is typing into.
function(me_wine_test test)
  set_tests_properties(${test} PROPERTIES
    FIXTURES_REQUIRED me_wine_session
    RESOURCE_LOCK me_wine_desktop
    ENVIRONMENT "ME_WINE_SESSION=${ME_WINE_SESSION_DIR}")
endfunction()
