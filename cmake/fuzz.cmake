# libFuzzer targets, one per fuzz/*.cpp, with ASan and UBSan. Each gets a
# short, bounded run in the test suite; longer runs are done by hand.
set(ASM_FUZZ_SECONDS 20 CACHE STRING "seconds per fuzz target in the test suite")
file(GLOB fuzz_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/fuzz/*.cpp)
foreach(source ${fuzz_sources})
  get_filename_component(target ${source} NAME_WE)
  add_executable(${target} ${source})
  target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
  target_link_libraries(${target} PRIVATE asm_core asm_sim)
  set(seed ${PROJECT_SOURCE_DIR}/fuzz/corpus/${target})
  set(work ${CMAKE_BINARY_DIR}/fuzz-work/${target})
  add_test(NAME ${target}
           COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
                   bash -c "mkdir -p '${work}' && exec '$<TARGET_FILE:${target}>' -max_total_time=${ASM_FUZZ_SECONDS} -rss_limit_mb=2048 -print_final_stats=1 '${work}' '${seed}'")
  set_tests_properties(${target} PROPERTIES LABELS fuzz TIMEOUT 300)
endforeach()
