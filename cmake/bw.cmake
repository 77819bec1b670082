# Compiler settings and the project's helpers for libraries, tests and fuzzers.

if(WIN32)
  set(BW_NATIVE OFF)
else()
  set(BW_NATIVE ON)
endif()

set(BW_ROOT ${PROJECT_SOURCE_DIR})
set(BW_WARNINGS -Wall -Wextra -Wformat=2)

if(WIN32)
  # printf formats (%lld, %zu, floats) behave alike under Wine and natively.
  add_compile_definitions(__USE_MINGW_ANSI_STDIO=1 _WIN32_WINNT=0x0A00 WINVER=0x0A00
                          NOMINMAX STRICT)
  add_compile_options(${BW_WARNINGS})
  add_link_options(-static -static-libgcc -static-libstdc++)
else()
  set(BW_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    # Coverage counters for the fuzz targets; the sanitizer runtime supplies
    # the hooks when a binary is not a fuzzer.
    list(APPEND BW_SANITIZE -fsanitize=fuzzer-no-link)
  endif()
  add_compile_options(${BW_WARNINGS} ${BW_SANITIZE} -g -O1)
  add_link_options(-fsanitize=address,undefined)
endif()

function(bw_add_subdirectory_if_present dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

# bw_add_gtest(NAME <exe> SOURCES <files...> [LIBS <targets...>]
#              [WINDOWS_ONLY] [GUI] [SERIAL] [DUAL_MONITOR] [TIMEOUT <s>])
# One test executable per module folder, one CTest entry per executable.
# Portable tests build in both trees (label native or wine); WINDOWS_ONLY ones
# only in the Windows tree. GUI tests get the label gui; SERIAL takes the
# display lock (input injection); DUAL_MONITOR runs on the two-monitor display.
function(bw_add_gtest)
  cmake_parse_arguments(T "WINDOWS_ONLY;GUI;SERIAL;DUAL_MONITOR" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
  if(BW_NATIVE AND T_WINDOWS_ONLY)
    return()
  endif()
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} bw_test_support)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}.out)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME} --gtest_color=no)
  if(BW_NATIVE)
    set(labels native)
  else()
    set(labels wine)
  endif()
  if(T_GUI)
    list(APPEND labels gui)
  endif()
  set(env "BW_TEST_SRC=${BW_ROOT}/tests" "BW_TEST_OUT=${out}")
  if(T_DUAL_MONITOR)
    list(APPEND env "BW_DISPLAY_KIND=dual")
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS "${labels}" TIMEOUT ${T_TIMEOUT}
                       ENVIRONMENT "${env}")
  if(T_SERIAL)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK display)
  endif()
endfunction()

# bw_add_fuzzer(NAME <exe> SOURCES <files...> [LIBS <targets...>]
#               [CORPUS <seed folders...>] [RUNS <n>])
# libFuzzer targets exist only in the native clang tree. CTest runs each one
# through scripts/run-fuzzer.sh with a fixed seed for a fixed number of runs
# over its committed seed folders, so one commit always gives one verdict.
# Exploratory fuzzing (random seeds, for a time) is scripts/fuzz.sh.
function(bw_add_fuzzer)
  # SECONDS is still accepted from older calls and ignored: runs are counted.
  cmake_parse_arguments(F "" "NAME;RUNS;SECONDS" "SOURCES;LIBS;CORPUS" ${ARGN})
  if(NOT BW_NATIVE OR NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    return()
  endif()
  if(NOT F_RUNS)
    set(F_RUNS 20000)
  endif()
  add_executable(${F_NAME} ${F_SOURCES})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${F_NAME}.corpus)
  add_test(NAME ${F_NAME}
           COMMAND ${BW_ROOT}/scripts/run-fuzzer.sh $<TARGET_FILE:${F_NAME}> ${work}
                   ${F_RUNS} ${F_CORPUS})
  set_tests_properties(${F_NAME} PROPERTIES LABELS "native;fuzz" TIMEOUT 600)
endfunction()

# bw_add_module_libraries(<prefix> <area folders...>)
# Makes <prefix>_portable (sources that build in both trees, no <windows.h>)
# and, in the Windows tree, <prefix> (the Windows halves). Sources are found by
# name: every *.cpp of the module folder and of each area folder below it,
# where *_win.cpp files are the Windows halves. A folder may add a
# CMakeLists.txt of its own for anything more.
macro(bw_add_module_libraries prefix)
  add_library(${prefix}_portable STATIC)
  target_include_directories(${prefix}_portable PUBLIC ${BW_ROOT})
  if(WIN32)
    add_library(${prefix} STATIC)
    target_link_libraries(${prefix} PUBLIC ${prefix}_portable)
    # Portable code may call its Windows platform layer (the zip file streams):
    # the cycle makes the linker scan the Windows half again after it.
    target_link_libraries(${prefix}_portable INTERFACE ${prefix})
  else()
    # Native code links the portable half under the same name.
    add_library(${prefix} INTERFACE)
    target_link_libraries(${prefix} INTERFACE ${prefix}_portable)
  endif()
  set(_bw_portable_srcs)
  set(_bw_win_srcs)
  foreach(_area . ${ARGN})
    file(GLOB _all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${_area}/*.cpp)
    foreach(_f ${_all})
      if(_f MATCHES "_win\\.cpp$")
        list(APPEND _bw_win_srcs ${_f})
      else()
        list(APPEND _bw_portable_srcs ${_f})
      endif()
    endforeach()
    if(NOT _area STREQUAL ".")
      bw_add_subdirectory_if_present(${_area})
    endif()
  endforeach()
  if(NOT _bw_portable_srcs)
    # Nothing portable yet: keep the target valid until its files land.
    set(_empty ${CMAKE_CURRENT_BINARY_DIR}/${prefix}_empty.cpp)
    file(WRITE ${_empty} "")
    list(APPEND _bw_portable_srcs ${_empty})
  endif()
  target_sources(${prefix}_portable PRIVATE ${_bw_portable_srcs})
  if(WIN32)
    if(NOT _bw_win_srcs)
      set(_empty ${CMAKE_CURRENT_BINARY_DIR}/${prefix}_win_empty.cpp)
      file(WRITE ${_empty} "")
      list(APPEND _bw_win_srcs ${_empty})
    endif()
    target_sources(${prefix} PRIVATE ${_bw_win_srcs})
  endif()
endmacro()

# bw_add_folder_tests(NAME <base> [LIBS <targets...>] [WIN_OPTIONS <options...>])
# The usual test folder: every *_test.cpp forms the portable executable <base>
# (both trees), every *_win_test.cpp the Windows executable <base>_win, which
# takes WIN_OPTIONS (GUI, SERIAL, DUAL_MONITOR, TIMEOUT n) as bw_add_gtest does.
function(bw_add_folder_tests)
  cmake_parse_arguments(T "" "NAME" "LIBS;WIN_OPTIONS" ${ARGN})
  file(GLOB _all CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
  set(_portable)
  set(_win)
  foreach(_f ${_all})
    if(_f MATCHES "_win_test\\.cpp$")
      list(APPEND _win ${_f})
    else()
      list(APPEND _portable ${_f})
    endif()
  endforeach()
  if(_portable)
    bw_add_gtest(NAME ${T_NAME} SOURCES ${_portable} LIBS ${T_LIBS})
  endif()
  if(_win)
    bw_add_gtest(NAME ${T_NAME}_win SOURCES ${_win} LIBS ${T_LIBS} WINDOWS_ONLY ${T_WIN_OPTIONS})
  endif()
endfunction()

# Debian's own Python (PIL, numpy): an earlier python3 on PATH may lack them.
set(BW_PYTHON /usr/bin/python3)

# bw_add_script_test(NAME <test> COMMAND <program> [args...]
#                    [SETUP <fixture>] [REQUIRES <fixtures...>] [CLEANUP <fixture>]
#                    [ENVIRONMENT <k=v...>] [TIMEOUT <s>] [LABELS <extra...>])
# A step that runs outside Wine beside a test executable: a fixture maker
# (SETUP) or an independent checker of what the executable wrote (REQUIRES),
# labelled for the tree it belongs to.
function(bw_add_script_test)
  cmake_parse_arguments(S "" "NAME;SETUP;CLEANUP;TIMEOUT" "COMMAND;REQUIRES;ENVIRONMENT;LABELS" ${ARGN})
  add_test(NAME ${S_NAME} COMMAND ${S_COMMAND})
  if(BW_NATIVE)
    set(labels native ${S_LABELS})
  else()
    set(labels wine ${S_LABELS})
  endif()
  if(NOT S_TIMEOUT)
    # Fixture makers start hundreds of short ImageMagick and PIL processes:
    # on a loaded machine they take minutes, which is no hang.
    if(S_SETUP)
      set(S_TIMEOUT 900)
    else()
      set(S_TIMEOUT 300)
    endif()
  endif()
  set_tests_properties(${S_NAME} PROPERTIES LABELS "${labels}" TIMEOUT ${S_TIMEOUT})
  if(S_SETUP)
    set_tests_properties(${S_NAME} PROPERTIES FIXTURES_SETUP ${S_SETUP})
  endif()
  if(S_CLEANUP)
    set_tests_properties(${S_NAME} PROPERTIES FIXTURES_CLEANUP ${S_CLEANUP})
  endif()
  if(S_REQUIRES)
    set_tests_properties(${S_NAME} PROPERTIES FIXTURES_REQUIRED "${S_REQUIRES}")
  endif()
  if(S_ENVIRONMENT)
    set_tests_properties(${S_NAME} PROPERTIES ENVIRONMENT "${S_ENVIRONMENT}")
  endif()
endfunction()

# bw_test_fixtures(<test> [SETUP <fixture>] [REQUIRES <fixtures...>])
# Ties a test executable to the script steps around it.
function(bw_test_fixtures test)
  cmake_parse_arguments(F "" "SETUP" "REQUIRES" ${ARGN})
  if(NOT TEST ${test})
    return()
  endif()
  if(F_SETUP)
    set_tests_properties(${test} PROPERTIES FIXTURES_SETUP ${F_SETUP})
  endif()
  if(F_REQUIRES)
    set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED "${F_REQUIRES}")
  endif()
endfunction()

# bw_add_program_resources(<target> <rc file>)
# Generates the icons and cursors into the target's build folder and compiles
# the resource script against them (and against resources/ for the rest).
# Programs and the tests that need the framework's resources use it.
function(bw_add_program_resources target rcFile)
  set(iconDir ${CMAKE_CURRENT_BINARY_DIR}/${target}.icons)
  set(icons ${iconDir}/brightwarden.ico)
  foreach(id 50000 50001 50002 50003 50004 50005 50006 50007 50008)
    list(APPEND icons ${iconDir}/cmd${id}.ico)
  endforeach()
  # The command images of the capture program.
  foreach(id 100 101 103 105 107 108 109 110 111 112 113 114 116 117 118 119 120 121 123 124 126
          128 129 130 131 132 133 134 135 136 137 139 140 141 142 143 144 145 146 147 148 149
          150 151 152 153 156 157 158)
    list(APPEND icons ${iconDir}/cmd${id}.ico)
  endforeach()
  list(APPEND icons ${iconDir}/eyedropper.cur ${iconDir}/windowpick.cur)
  add_custom_command(OUTPUT ${icons}
                     COMMAND /usr/bin/python3 ${BW_ROOT}/resources/make_icons.py ${iconDir}
                     DEPENDS ${BW_ROOT}/resources/make_icons.py
                             ${BW_ROOT}/resources/program_icons.py
                     COMMENT "Drawing the program's icons")
  add_custom_command(OUTPUT ${iconDir}/capture.wav
                     COMMAND /usr/bin/python3 ${BW_ROOT}/resources/make_sound.py
                             ${iconDir}/capture.wav
                     DEPENDS ${BW_ROOT}/resources/make_sound.py
                     COMMENT "Making the capture sound")
  list(APPEND icons ${iconDir}/capture.wav)
  set(versionHeader ${CMAKE_CURRENT_BINARY_DIR}/${target}.version/bw_version.h)
  file(WRITE ${versionHeader}.new
       "#define BW_VERSION_MAJOR ${PROJECT_VERSION_MAJOR}\n"
       "#define BW_VERSION_MINOR ${PROJECT_VERSION_MINOR}\n"
       "#define BW_VERSION_PATCH ${PROJECT_VERSION_PATCH}\n"
       "#define BW_VERSION_TEXT \"${PROJECT_VERSION}\"\n")
  file(COPY_FILE ${versionHeader}.new ${versionHeader} ONLY_IF_DIFFERENT)
  target_sources(${target} PRIVATE ${rcFile} ${icons})
  set_source_files_properties(${rcFile} PROPERTIES OBJECT_DEPENDS
                              "${icons};${BW_ROOT}/resources/framework.rc;${BW_ROOT}/resources/brightwarden.manifest")
  target_include_directories(${target} PRIVATE ${iconDir} ${BW_ROOT}/resources
                             ${CMAKE_CURRENT_BINARY_DIR}/${target}.version)
endfunction()
