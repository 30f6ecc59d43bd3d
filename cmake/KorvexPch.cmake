# korvex_precompile(<target> [STD] [QT_CORE] [QT_WIDGETS] [HEADERS <header>...])
# korvex_precompile_qt_test(<target>)
# korvex_unity(<target> <batch size>)
#
# Compiles the headers that most sources of a target include once (a
# precompiled header) instead of once per source: the standard library,
# GoogleTest and Qt take longer to parse than most of our sources take to
# compile. A library gets a header of its own; each group is only asked for
# where the target links what it needs (QT_WIDGETS needs Qt6::Widgets).
#
# Making one costs as much as compiling a few sources, more than a small test
# program saves, so the Qt test programs share one (the standard library,
# GoogleTest and Qt's widgets), made by a program that does nothing else.
# <QTest> stays out of it, as it includes other headers by the Qt modules
# that a program links. The plain test programs go without: they are quick
# to build, and many link Qt only through our libraries, which changes their
# code-generation flags and so would make GCC refuse a shared header.
#
# A target of a single source gains nothing and is left alone. KORVEX_PCH=OFF
# turns it all off, to check that every source still includes what it uses.
option(KORVEX_PCH "Precompile the common headers of the larger targets" ON)

set(_korvex_pch_std
  <algorithm> <array> <chrono> <cstdint> <filesystem> <fstream> <functional> <map> <memory>
  <optional> <sstream> <string> <string_view> <thread> <vector>)
set(_korvex_pch_qt_core <QByteArray> <QObject> <QString> <QTimer>)
set(_korvex_pch_qt_widgets
  <QAction> <QApplication> <QCheckBox> <QComboBox> <QDialog> <QDialogButtonBox> <QLabel>
  <QLineEdit> <QPushButton> <QVBoxLayout> <QWidget>)

# True in `out` when `target` has at least two C++ sources to share a header.
function(_korvex_pch_worth target out)
  get_target_property(sources ${target} SOURCES)
  list(FILTER sources INCLUDE REGEX "\\.cpp$")
  list(LENGTH sources count)
  if(KORVEX_PCH AND count GREATER 1)
    set(${out} TRUE PARENT_SCOPE)
  else()
    set(${out} FALSE PARENT_SCOPE)
  endif()
endfunction()

function(korvex_precompile target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "STD;QT_CORE;QT_WIDGETS" "" "HEADERS")
  _korvex_pch_worth(${target} worth)
  if(NOT worth)
    return()
  endif()
  set(headers "")
  if(arg_STD)
    list(APPEND headers ${_korvex_pch_std})
  endif()
  if(arg_QT_CORE OR arg_QT_WIDGETS)
    list(APPEND headers ${_korvex_pch_qt_core})
  endif()
  if(arg_QT_WIDGETS)
    list(APPEND headers ${_korvex_pch_qt_widgets})
  endif()
  list(APPEND headers ${arg_HEADERS})
  target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

function(korvex_precompile_qt_test target)
  _korvex_pch_worth(${target} worth)
  if(NOT worth)
    return()
  endif()
  set(maker korvex_pch_qt_tests)
  if(NOT TARGET ${maker})
    # An executable, as the test programs are, with their flags: a header
    # made with other code-generation options is refused.
    set(main ${PROJECT_BINARY_DIR}/korvex_pch_main.cpp)
    if(NOT EXISTS ${main})
      file(WRITE ${main} "int main() { return 0; }\n")
    endif()
    # Built only for the programs that use its header.
    add_executable(${maker} EXCLUDE_FROM_ALL ${main})
    find_package(Qt6 REQUIRED COMPONENTS Widgets)
    target_link_libraries(${maker} PRIVATE GTest::gtest Qt6::Widgets)
    korvex_test_compile_options(${maker})
    target_precompile_headers(${maker} PRIVATE ${_korvex_pch_std} <gtest/gtest.h>
                              ${_korvex_pch_qt_core} ${_korvex_pch_qt_widgets})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${maker})
  # GCC 12 loses the system-header mark of the precompiled standard library
  # for the warnings it raises after inlining, and then reports its own
  # string code (a std::string built with operator+) as writing out of
  # bounds. The sanitizer build checks such writes in these programs for real.
  target_compile_options(${target} PRIVATE
    $<$<CXX_COMPILER_ID:GNU>:-Wno-array-bounds -Wno-stringop-overflow>)
endfunction()

# A target's sources compiled together, a batch at a time (a unity build):
# they share most of their headers and templates, which then are read and
# instantiated once per batch instead of once per source. So the sources of
# one target must not define the same name in their anonymous namespaces,
# and a using-directive at namespace scope reaches the sources after it in
# its batch. A source with definitions of its own is compiled alone.
# KORVEX_UNITY=OFF compiles each source on its own, as a developer editing a
# single source may prefer.
option(KORVEX_UNITY "Compile the sources of the larger targets together" ON)
function(korvex_unity target batch)
  if(KORVEX_UNITY)
    set_target_properties(${target} PROPERTIES UNITY_BUILD ON UNITY_BUILD_BATCH_SIZE ${batch})
  endif()
endfunction()
