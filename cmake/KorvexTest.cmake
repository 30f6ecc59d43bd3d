# korvex_test: builds one test program and registers its tests by kind.
#
#   korvex_test(<target> KIND <UNIT|OFFSCREEN|E2E|XVFB>
#               SOURCES <file>...
#               [LIBRARIES <target>...] [DEFINITIONS <NAME=value>...]
#               [INCLUDES <dir>...] [LABELS <label>...] [TIMEOUT <seconds>] [COST <n>]
#               [ENVIRONMENT <NAME=value>...] [OWN_MAIN] [PLAIN] [PROGRAM] [TSAN])
#   korvex_test(<name> KIND SCRIPT COMMAND <program> <argument>...
#               [LABELS <label>...] [TIMEOUT <seconds>] [ENVIRONMENT <NAME=value>...])
#
# Kinds:
#   UNIT       plain C++ with GoogleTest's own main (label "unit").
#   OFFSCREEN  Qt widgets on the offscreen platform (label "widgets"); the
#              program gets tests/support/QtTestMain.cpp.
#   E2E        as OFFSCREEN, plus the simulator tool ar8600-sim, whose path is
#              AR8600_SIM_PATH (label "e2e"); PLAIN for a test program without
#              Qt, PROGRAM for one that runs the real program (KORVEX_PATH).
#              Left out when the simulator or the program is.
#   XVFB       the real program under a private X server that each test case
#              starts itself (tests/support/XvfbDisplay.h); KORVEX_PATH,
#              AR8600_SIM_PATH, XVFB_PATH, XDOTOOL_PATH, IMPORT_PATH and
#              SCREENSHOT_DIR are defined (labels "e2e" and "xvfb"). Left out
#              when Xvfb, xdotool, ImageMagick's import or the program is.
#   SCRIPT     one test that runs COMMAND (a shell script, cmake -P ...), no
#              program built; no label of its own, TIMEOUT 120 unless given.
#              A caller adds fixtures and the like with set_tests_properties.
# OWN_MAIN: the sources bring their own main().
# Test programs compile quickly (see korvex_test_compile_options); the Qt
# ones share a precompiled header (cmake/KorvexPch.cmake).
# Every kind finds the headers under the source tree's root, so tests include
# "tests/support/...", "link/..." alike, and sets a time-out per test case
# against a hang (TIMEOUT overrides it; three times as long in a sanitizer
# build). Each test case runs with HOME, XDG_CONFIG_HOME and
# XDG_RUNTIME_DIR in a folder of its own under the build tree (made when ctest
# reads the tests), so nothing of the caller's settings is read or written and
# cases running side by side share none; ALSA's null devices stand for the
# sound card (MRQSND_CAPTURE_DEVICE, MRQSND_PLAYBACK_DEVICE). ENVIRONMENT adds
# variables to that, every one of them set (the list is applied after the test
# discovery, where a ;-list would be cut at its first semicolon).
#
# COST orders a parallel run: ctest starts the costliest tests first, so a
# long one does not begin last and leave the other processors idle at the
# end. Without it, end-to-end tests cost 10 and Xvfb tests 20 (most of them
# take seconds, the unit tests milliseconds). The cost counts only in a
# build folder whose tests never ran: after a run ctest orders by the times
# it measured.
#
# TSAN marks the programs of the ThreadSanitizer run (label "tsan"); in a
# KORVEX_TSAN build the others are still defined but neither built by default
# nor registered. The target "tsan_tests" builds the marked ones.
#
# The new target's name is left in KORVEX_TEST_TARGET (empty when the kind's
# tools are missing), for a folder that adds more to it.
function(korvex_test target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "OWN_MAIN;PLAIN;PROGRAM;TSAN" "KIND;TIMEOUT;COST"
                        "SOURCES;LIBRARIES;DEFINITIONS;INCLUDES;LABELS;ENVIRONMENT;COMMAND")
  set(KORVEX_TEST_TARGET "" PARENT_SCOPE)
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "korvex_test(${target}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  string(TOUPPER "${arg_KIND}" kind)
  if(kind STREQUAL "SCRIPT")
    _korvex_script_test(${target})
    return()
  endif()

  set(labels ${arg_LABELS})
  set(definitions ${arg_DEFINITIONS})
  set(libraries ${arg_LIBRARIES})
  set(sources ${arg_SOURCES})
  set(depends "")
  if(kind STREQUAL "UNIT" OR (kind STREQUAL "E2E" AND arg_PLAIN))
    if(arg_OWN_MAIN)
      list(APPEND libraries GTest::gtest)
    else()
      list(APPEND libraries GTest::gtest_main)
    endif()
  elseif(kind STREQUAL "OFFSCREEN" OR kind STREQUAL "E2E")
    find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
    list(APPEND libraries Qt6::Widgets Qt6::Test GTest::gtest)
    if(NOT arg_OWN_MAIN)
      list(APPEND sources ${PROJECT_SOURCE_DIR}/tests/support/QtTestMain.cpp)
    endif()
  endif()
  set(cost 0)
  set(processors 1)
  if(kind STREQUAL "UNIT")
    list(APPEND labels unit)
    set(timeout 120)
  elseif(kind STREQUAL "OFFSCREEN")
    list(APPEND labels widgets)
    set(timeout 120)
  elseif(kind STREQUAL "E2E")
    if(NOT TARGET ar8600-sim OR (arg_PROGRAM AND NOT TARGET korvex))
      return()
    endif()
    list(APPEND labels e2e)
    set(timeout 180)
    set(cost 10)
    list(APPEND definitions AR8600_SIM_PATH="$<TARGET_FILE:ar8600-sim>")
    list(APPEND depends ar8600-sim)
    if(arg_PROGRAM)
      list(APPEND definitions KORVEX_PATH="$<TARGET_FILE:korvex>"
                              LSAN_SUPPRESSIONS="${PROJECT_SOURCE_DIR}/tests/lsan.supp")
      list(APPEND depends korvex)
    endif()
  elseif(kind STREQUAL "XVFB")
    find_program(KORVEX_XVFB Xvfb)
    find_program(KORVEX_XDOTOOL xdotool)
    find_program(KORVEX_IMPORT import)
    if(NOT TARGET korvex OR NOT TARGET ar8600-sim OR NOT KORVEX_XVFB OR NOT KORVEX_XDOTOOL
       OR NOT KORVEX_IMPORT)
      return()
    endif()
    list(APPEND labels e2e xvfb)
    set(timeout 240)
    set(cost 20)
    # Each one runs an X server, the program and the simulator, and some
    # give the program a moment between keys: ctest counts it as two tests,
    # so fewer of them run side by side.
    set(processors 2)
    if(arg_OWN_MAIN)
      list(APPEND libraries GTest::gtest)
    else()
      list(APPEND libraries GTest::gtest_main)
    endif()
    list(APPEND definitions
      KORVEX_PATH="$<TARGET_FILE:korvex>"
      AR8600_SIM_PATH="$<TARGET_FILE:ar8600-sim>"
      XVFB_PATH="${KORVEX_XVFB}"
      XDOTOOL_PATH="${KORVEX_XDOTOOL}"
      IMPORT_PATH="${KORVEX_IMPORT}"
      LSAN_SUPPRESSIONS="${PROJECT_SOURCE_DIR}/tests/lsan.supp"
      SCREENSHOT_DIR="${CMAKE_CURRENT_BINARY_DIR}")
    list(APPEND depends korvex ar8600-sim)
  else()
    message(FATAL_ERROR "korvex_test(${target}): KIND is UNIT, OFFSCREEN, E2E or XVFB")
  endif()
  if(arg_TIMEOUT)
    set(timeout ${arg_TIMEOUT})
  endif()
  if(DEFINED arg_COST)
    set(cost ${arg_COST})
  endif()
  # The time-out guards against a hang; the sanitizer builds run slower.
  if(KORVEX_SANITIZE OR KORVEX_TSAN)
    math(EXPR timeout "${timeout} * 3")
  endif()
  if(arg_TSAN)
    list(APPEND labels tsan)
  endif()
  set(registered TRUE)
  if(KORVEX_TSAN AND NOT arg_TSAN)
    set(registered FALSE)
  endif()

  if(registered)
    add_executable(${target} ${sources})
  else()
    add_executable(${target} EXCLUDE_FROM_ALL ${sources})
  endif()
  korvex_test_compile_options(${target})
  korvex_test_unity(${target})
  if(kind STREQUAL "OFFSCREEN" OR (kind STREQUAL "E2E" AND NOT arg_PLAIN))
    korvex_precompile_qt_test(${target})
  endif()
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR} ${arg_INCLUDES})
  target_compile_definitions(${target} PRIVATE ${definitions})
  target_link_libraries(${target} PRIVATE ${libraries})
  if(depends)
    add_dependencies(${target} ${depends})
  endif()
  set(KORVEX_TEST_TARGET ${target} PARENT_SCOPE)
  if(arg_TSAN)
    if(NOT TARGET tsan_tests)
      add_custom_target(tsan_tests)
    endif()
    add_dependencies(tsan_tests ${target})
  endif()
  if(NOT registered)
    return()
  endif()

  set(environment MRQSND_CAPTURE_DEVICE=null MRQSND_PLAYBACK_DEVICE=null)
  if(kind STREQUAL "OFFSCREEN" OR kind STREQUAL "E2E")
    list(APPEND environment QT_QPA_PLATFORM=offscreen)
  endif()
  list(APPEND environment ${arg_ENVIRONMENT})

  # Labels, time-out and environment are set after the discovery, from a file
  # of their own: given to gtest_discover_tests, a ;-list is cut into words.
  # Each case's home, settings and runtime folders are made there too, once
  # the cases are known; the runtime folder must be private to its owner.
  gtest_discover_tests(${target} TEST_LIST ${target}_TESTS DISCOVERY_TIMEOUT 60)
  set(properties_file ${CMAKE_CURRENT_BINARY_DIR}/${target}-properties.cmake)
  file(WRITE ${properties_file}
    "if(${target}_TESTS)\n"
    "  set_tests_properties(\${${target}_TESTS} PROPERTIES\n"
    "    LABELS [==[${labels}]==]\n"
    "    TIMEOUT ${timeout}\n"
    "    PROCESSORS ${processors})\n"
    "  foreach(test IN LISTS ${target}_TESTS)\n"
    "    string(MAKE_C_IDENTIFIER \"\${test}\" name)\n"
    "    set(home \"${CMAKE_CURRENT_BINARY_DIR}/${target}-home/\${name}\")\n"
    "    file(MAKE_DIRECTORY \"\${home}/config\" \"\${home}/runtime\")\n"
    "    file(CHMOD \"\${home}/runtime\" DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)\n"
    "    set(environment \"HOME=\${home}\" \"XDG_CONFIG_HOME=\${home}/config\"\n"
    "                    \"XDG_RUNTIME_DIR=\${home}/runtime\")\n"
    "    list(APPEND environment [==[${environment}]==])\n"
    "    set_tests_properties(\"\${test}\" PROPERTIES ENVIRONMENT \"\${environment}\")\n"
    "  endforeach()\n"
    "endif()\n")
  if(NOT cost EQUAL 0)
    # ctest reads this file at every run: the cost is given only while no
    # run has measured the tests' times, which then order them instead.
    file(APPEND ${properties_file}
      "if(${target}_TESTS AND NOT EXISTS [==[${PROJECT_BINARY_DIR}/Testing/Temporary/CTestCostData.txt]==])\n"
      "  set_tests_properties(\${${target}_TESTS} PROPERTIES COST ${cost})\n"
      "endif()\n")
  endif()
  set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${properties_file})
endfunction()

# Test programs are built for a quick build: line tables only (-g1), enough
# for a sanitizer's or a debugger's backtrace, and -O1 in the release build
# (the libraries they test keep their own optimisation; a source compiled
# into a test program takes the program's). Together about
# a third quicker to compile than -O2 with full debug information.
function(korvex_test_compile_options target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    target_compile_options(${target} PRIVATE $<$<CONFIG:Debug,RelWithDebInfo>:-g1>
                                             $<$<CONFIG:RelWithDebInfo>:-O1>)
  endif()
endfunction()

# A test program's sources are compiled together (korvex_unity), six at a
# time. A source of the program itself that a test compiles in stays on its
# own, so that the test's names cannot change how it compiles.
function(korvex_test_unity target)
  if(NOT KORVEX_UNITY)
    return()
  endif()
  korvex_unity(${target} 6)
  set(tests_dir ${PROJECT_SOURCE_DIR}/tests)
  get_target_property(sources ${target} SOURCES)
  foreach(source IN LISTS sources)
    get_filename_component(path ${source} ABSOLUTE)
    cmake_path(IS_PREFIX tests_dir "${path}" NORMALIZE is_test)
    if(NOT is_test)
      set_source_files_properties(${source} PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON)
    endif()
  endforeach()
endfunction()

# KIND SCRIPT: one test, its command run with folders of its own as HOME,
# XDG_CONFIG_HOME and XDG_RUNTIME_DIR.
function(_korvex_script_test name)
  if(NOT arg_COMMAND)
    message(FATAL_ERROR "korvex_test(${name} KIND SCRIPT): COMMAND is missing")
  endif()
  if(arg_SOURCES OR arg_LIBRARIES OR arg_DEFINITIONS OR arg_INCLUDES OR arg_OWN_MAIN
     OR arg_PLAIN OR arg_PROGRAM OR arg_TSAN OR DEFINED arg_COST)
    message(FATAL_ERROR "korvex_test(${name} KIND SCRIPT): takes COMMAND, LABELS, TIMEOUT "
                        "and ENVIRONMENT only")
  endif()
  if(KORVEX_TSAN)
    return()
  endif()
  set(timeout 120)
  if(arg_TIMEOUT)
    set(timeout ${arg_TIMEOUT})
  endif()
  if(KORVEX_SANITIZE)
    math(EXPR timeout "${timeout} * 3")
  endif()
  set(home ${CMAKE_CURRENT_BINARY_DIR}/${name}-home)
  file(MAKE_DIRECTORY ${home}/config ${home}/runtime)
  file(CHMOD ${home}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
  set(environment HOME=${home} XDG_CONFIG_HOME=${home}/config XDG_RUNTIME_DIR=${home}/runtime
                  MRQSND_CAPTURE_DEVICE=null MRQSND_PLAYBACK_DEVICE=null ${arg_ENVIRONMENT})
  add_test(NAME ${name} COMMAND ${arg_COMMAND})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${timeout} ENVIRONMENT "${environment}")
  if(arg_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${arg_LABELS}")
  endif()
endfunction()
