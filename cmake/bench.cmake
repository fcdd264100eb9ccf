# Google Benchmark programs, one per bench/*.cpp; run by hand or by
# bench/ scripts, never as timed tests.
find_package(benchmark QUIET)
if(benchmark_FOUND)
  file(GLOB bench_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/bench/*.cpp)
  foreach(source ${bench_sources})
    get_filename_component(target ${source} NAME_WE)
    add_executable(${target} ${source})
    target_link_libraries(${target} PRIVATE asm_core benchmark::benchmark)
    target_compile_definitions(${target} PRIVATE ASM_CORPUS_DIR="${PROJECT_SOURCE_DIR}/../shared/corpus")
  endforeach()
endif()
