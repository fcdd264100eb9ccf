# The Win32 program, linked statically so that the .exe needs no DLL beside
# it, and the test driver that automates it.
enable_language(RC)
add_link_options(-static -static-libgcc -static-libstdc++)

file(GLOB win32_sources CONFIGURE_DEPENDS
     ${PROJECT_SOURCE_DIR}/app/*_win32.cpp ${PROJECT_SOURCE_DIR}/log/*_win32.cpp
     ${PROJECT_SOURCE_DIR}/serial/*_win32.cpp ${PROJECT_SOURCE_DIR}/views/*_win32.cpp
     ${PROJECT_SOURCE_DIR}/transmit/*_win32.cpp ${PROJECT_SOURCE_DIR}/nmea/*_win32.cpp
     ${PROJECT_SOURCE_DIR}/monitor/*_win32.cpp ${PROJECT_SOURCE_DIR}/record/*_win32.cpp)
if(win32_sources AND EXISTS ${PROJECT_SOURCE_DIR}/res/asm_client.rc)
  add_executable(asm-client WIN32 ${win32_sources} ${PROJECT_SOURCE_DIR}/res/asm_client.rc)
  # windres writes no dependency file, so name what the script pulls in.
  file(GLOB rc_parts CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/res/*.rc ${PROJECT_SOURCE_DIR}/res/*.h
       ${PROJECT_SOURCE_DIR}/res/*.ico ${PROJECT_SOURCE_DIR}/res/*.manifest)
  list(REMOVE_ITEM rc_parts ${PROJECT_SOURCE_DIR}/res/asm_client.rc)
  set_source_files_properties(${PROJECT_SOURCE_DIR}/res/asm_client.rc PROPERTIES OBJECT_DEPENDS "${rc_parts}")
  target_include_directories(asm-client PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/res)
  target_compile_definitions(asm-client PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
  target_link_libraries(asm-client PRIVATE asm_core comctl32 comdlg32 gdi32 user32 advapi32 shell32
                                                   ole32 uuid)
endif()

# The command-line decoder: a console program from the same source as on
# Linux. RapidJSON's writer is header only: the host's copy (Debian's
# rapidjson-dev) is reached through a folder that holds it alone, so that no
# other host header comes into the cross build.
if(EXISTS ${PROJECT_SOURCE_DIR}/tools/asm_decode.cpp)
  find_path(RAPIDJSON_HOST_INCLUDE rapidjson/writer.h PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
  set(rapidjson_only ${CMAKE_BINARY_DIR}/rapidjson-only)
  file(MAKE_DIRECTORY ${rapidjson_only})
  file(CREATE_LINK ${RAPIDJSON_HOST_INCLUDE}/rapidjson ${rapidjson_only}/rapidjson SYMBOLIC)
  add_executable(asm-decode ${PROJECT_SOURCE_DIR}/tools/asm_decode.cpp)
  target_include_directories(asm-decode SYSTEM PRIVATE ${rapidjson_only})
  target_link_libraries(asm-decode PRIVATE asm_core)
endif()

if(EXISTS ${PROJECT_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
  enable_testing()
  add_subdirectory(${PROJECT_SOURCE_DIR}/tests/e2e ${CMAKE_BINARY_DIR}/e2e)
endif()
