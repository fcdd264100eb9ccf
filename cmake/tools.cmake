# Command-line tools on the core: asm-decode (Linux and Windows) and asm-sim
# (POSIX).
if(EXISTS ${PROJECT_SOURCE_DIR}/tools/asm_decode.cpp)
  # RapidJSON's writer (header only, Debian's rapidjson-dev).
  find_path(RAPIDJSON_INCLUDE rapidjson/writer.h REQUIRED)
  add_executable(asm-decode ${PROJECT_SOURCE_DIR}/tools/asm_decode.cpp)
  target_include_directories(asm-decode SYSTEM PRIVATE ${RAPIDJSON_INCLUDE})
  target_link_libraries(asm-decode PRIVATE asm_core)
endif()
file(GLOB sim_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tools/asm_sim*.cpp)
if(sim_sources)
  add_executable(asm-sim ${sim_sources})
  target_link_libraries(asm-sim PRIVATE asm_sim asm_core Threads::Threads)
endif()
# Tool-level tests (scripts) live beside the tools.
file(GLOB tool_tests CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/tools/*.sh)
foreach(script ${tool_tests})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME tool.${name} COMMAND bash ${script} ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR})
  set_tests_properties(tool.${name} PROPERTIES LABELS tools TIMEOUT 300)
endforeach()
