# SPDX-License-Identifier: GPL-3.0-or-later
# A fuzz target NAME from NAME_fuzz.cpp: under libFuzzer when LUMIRO_FUZZ is on
# (clang), and otherwise a replay of its corpus, corpus/NAME, as a regression
# test. Sets LUMIRO_FUZZ_TARGET to the executable, for further settings.
function(lumiro_fuzz_target name)
  if(LUMIRO_FUZZ)
    set(target ${name}_fuzzer)
    add_executable(${target} ${name}_fuzz.cpp)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  else()
    set(target ${name}_replay)
    add_executable(${target} ${name}_fuzz.cpp ${PROJECT_SOURCE_DIR}/generator/fuzz/replay_main.cpp)
    add_test(NAME fuzz_replay_${name} COMMAND ${target} ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
  endif()
  lumiro_warnings(${target})
  set(LUMIRO_FUZZ_TARGET ${target} PARENT_SCOPE)
endfunction()
