# Windows build: the real adapters, Mountwick.exe, and the tests that run
# under Wine (ctest goes through CMAKE_CROSSCOMPILING_EMULATOR).
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)

file(GLOB_RECURSE MOUNTWICK_WIN_SOURCES CONFIGURE_DEPENDS src/*_win.cpp src/platform/win32/*.cpp)
list(FILTER MOUNTWICK_WIN_SOURCES EXCLUDE REGEX "/main_win\\.cpp$")
add_library(mountwick_win STATIC ${MOUNTWICK_WIN_SOURCES})
target_include_directories(mountwick_win PUBLIC res)
target_link_libraries(mountwick_win PUBLIC mountwick_core setupapi shell32 user32 advapi32 comctl32 gdi32)
mountwick_warnings(mountwick_win)

# The manifest carries the version; the resource script finds it through the
# include path.
set(MOUNTWICK_MANIFEST ${MOUNTWICK_GENERATED_DIR}/mountwick.manifest)
configure_file(res/mountwick.manifest.in ${MOUNTWICK_MANIFEST} @ONLY)
file(GLOB MOUNTWICK_RESOURCES CONFIGURE_DEPENDS res/*.rc)
set_source_files_properties(${MOUNTWICK_RESOURCES} PROPERTIES OBJECT_DEPENDS ${MOUNTWICK_MANIFEST})
add_executable(Mountwick WIN32 src/app/main_win.cpp ${MOUNTWICK_RESOURCES})
target_link_libraries(Mountwick PRIVATE mountwick_win)
set_target_properties(Mountwick PROPERTIES OUTPUT_NAME Mountwick)
mountwick_warnings(Mountwick)
# Sections aligned to pages in the file as in memory, so the loader can map
# the code straight from the file, shared, instead of copying it into the
# process's private memory (Wine copies any image whose sections are not).
set(MOUNTWICK_EXE_LINK_OPTIONS -s -Wl,--file-alignment,0x1000)
target_link_options(Mountwick PRIVATE ${MOUNTWICK_EXE_LINK_OPTIONS})
add_test(NAME mountwick_imports_only_system_dlls
         COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh $<TARGET_FILE:Mountwick>)
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001 -I${CMAKE_SOURCE_DIR}/res")

# GoogleTest from the Debian sources, built with the cross compiler.
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
set_target_properties(gtest gtest_main gmock gmock_main PROPERTIES CXX_STANDARD 17)

# The portable unit tests, once more on the target's compiler and runtime.
include(cmake/fakes.cmake)
target_link_libraries(mountwick_unit_tests PRIVATE mountwick_fakes gtest gmock gtest_main)
add_test(NAME windows_unit_tests COMMAND mountwick_unit_tests)

# Tests of the real adapters under Wine.
file(GLOB MOUNTWICK_WIN_TESTS CONFIGURE_DEPENDS tests/unit/*_win_test.cpp)
if(MOUNTWICK_WIN_TESTS)
  add_executable(mountwick_win_tests ${MOUNTWICK_WIN_TESTS})
  target_include_directories(mountwick_win_tests PRIVATE tests ${CMAKE_SOURCE_DIR})
  target_link_libraries(mountwick_win_tests PRIVATE mountwick_win mountwick_fakes gtest gmock gtest_main)
  mountwick_warnings(mountwick_win_tests)
  add_test(NAME windows_adapter_tests COMMAND mountwick_win_tests)
endif()

# Helper programs the Windows tests start.
file(GLOB MOUNTWICK_TOOLS CONFIGURE_DEPENDS tests/tools/*.cpp)
foreach(tool_source ${MOUNTWICK_TOOLS})
  get_filename_component(tool ${tool_source} NAME_WE)
  add_executable(${tool} ${tool_source})
  target_include_directories(${tool} PRIVATE res)
  target_link_libraries(${tool} PRIVATE setupapi shell32 user32 advapi32)
  mountwick_warnings(${tool})
  if(TARGET mountwick_win_tests)
    add_dependencies(mountwick_win_tests ${tool})
  endif()
endforeach()

# Programs for the demonstration and screenshot scripts: broadcasts and fake USB devices.
file(GLOB MOUNTWICK_SCRIPT_TOOLS CONFIGURE_DEPENDS tools/*.cpp)
foreach(tool_source ${MOUNTWICK_SCRIPT_TOOLS})
  get_filename_component(tool ${tool_source} NAME_WE)
  add_executable(${tool} ${tool_source})
  target_include_directories(${tool} PRIVATE res)
  target_link_libraries(${tool} PRIVATE setupapi shell32 user32 advapi32)
  mountwick_warnings(${tool})
endforeach()

# Benchmarks of the real program under Wine; they print figures, run by scripts/bench.sh.
# The arrival benchmark is one program of a file per section (arrival_*.cpp); every other
# file is a program of its own.
file(GLOB MOUNTWICK_WIN_BENCH CONFIGURE_DEPENDS bench/win/*.cpp)
file(GLOB ARRIVAL_BENCH_SOURCES CONFIGURE_DEPENDS bench/win/arrival_*.cpp)
list(REMOVE_ITEM MOUNTWICK_WIN_BENCH ${ARRIVAL_BENCH_SOURCES})
add_executable(arrival_bench ${ARRIVAL_BENCH_SOURCES})
set(MOUNTWICK_WIN_BENCH_PROGRAMS arrival_bench)
foreach(bench_source ${MOUNTWICK_WIN_BENCH})
  get_filename_component(bench ${bench_source} NAME_WE)
  add_executable(${bench} ${bench_source})
  list(APPEND MOUNTWICK_WIN_BENCH_PROGRAMS ${bench})
endforeach()
foreach(bench ${MOUNTWICK_WIN_BENCH_PROGRAMS})
  # The arrival benchmark drives Mountwick.exe with the end-to-end suite's helpers.
  target_include_directories(${bench} PRIVATE ${MOUNTWICK_GENERATED_DIR} tests ${CMAKE_SOURCE_DIR}
                             res)
  target_link_libraries(${bench} PRIVATE setupapi user32 advapi32 psapi comctl32)
  mountwick_warnings(${bench})
endforeach()
# The memory floor is a windowed tray program, linked like Mountwick.exe.
set_target_properties(tray_floor PROPERTIES WIN32_EXECUTABLE ON)
target_link_libraries(tray_floor PRIVATE comctl32 shell32)
target_link_options(tray_floor PRIVATE ${MOUNTWICK_EXE_LINK_OPTIONS})

add_subdirectory(tests/e2e)

# The help file beside Mountwick.exe. The pages are kept in UTF-8; the help
# viewer reads them in the system's code page, so they are converted first.
find_program(CHMCMD chmcmd)
find_program(ICONV_PROGRAM iconv)
if(CHMCMD AND ICONV_PROGRAM)
  file(GLOB MOUNTWICK_HELP_SOURCES CONFIGURE_DEPENDS help/*)
  set(HELP_WORK_DIR ${CMAKE_BINARY_DIR}/help)
  set(HELP_FILE ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/Mountwick.chm)
  set(HELP_CONVERSIONS)
  foreach(help_source ${MOUNTWICK_HELP_SOURCES})
    get_filename_component(help_name ${help_source} NAME)
    list(APPEND HELP_CONVERSIONS
         COMMAND ${ICONV_PROGRAM} -f UTF-8 -t CP932 -o ${HELP_WORK_DIR}/${help_name} ${help_source})
  endforeach()
  add_custom_command(OUTPUT ${HELP_FILE}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${HELP_WORK_DIR}
    ${HELP_CONVERSIONS}
    COMMAND ${CMAKE_COMMAND} -E chdir ${HELP_WORK_DIR} ${CHMCMD} --verbosity 0 Mountwick.hhp
    COMMAND ${CMAKE_COMMAND} -E copy ${HELP_WORK_DIR}/Mountwick.chm ${HELP_FILE}
    DEPENDS ${MOUNTWICK_HELP_SOURCES}
    COMMENT "Compiling the help file"
    VERBATIM)
  add_custom_target(help_file ALL DEPENDS ${HELP_FILE})
else()
  message(WARNING "chmcmd or iconv not found: Mountwick.chm is not built (scripts/setup.sh installs fp-utils)")
endif()

# What a Windows user installs: the portable zip and the per-user installer.
find_program(MAKENSIS makensis)
find_program(ZIP_PROGRAM zip)
if(TARGET Mountwick AND MAKENSIS AND ZIP_PROGRAM)
  set(DIST_DIR ${CMAKE_BINARY_DIR}/dist)
  set(DIST_README ${MOUNTWICK_GENERATED_DIR}/readme-ja.txt)
  configure_file(installer/readme-ja.txt.in ${DIST_README} @ONLY)
  # The names make-dist.sh gives them.
  set(DIST_BASE ${DIST_DIR}/Mountwick-${MOUNTWICK_VERSION_TEXT}-Build${MOUNTWICK_BUILD_NUMBER})
  set(DIST_OUTPUTS ${DIST_BASE}.zip ${DIST_BASE}-Setup.exe)
  set(DIST_DEPENDS Mountwick ${CMAKE_SOURCE_DIR}/installer/mountwick.nsi ${DIST_README}
      ${CMAKE_SOURCE_DIR}/scripts/make-dist.sh)
  if(TARGET help_file)
    list(APPEND DIST_DEPENDS help_file)
  endif()
  add_custom_command(OUTPUT ${DIST_OUTPUTS}
    COMMAND ${CMAKE_SOURCE_DIR}/scripts/make-dist.sh ${CMAKE_RUNTIME_OUTPUT_DIRECTORY} ${DIST_DIR}
            ${MOUNTWICK_VERSION_TEXT} ${MOUNTWICK_BUILD_NUMBER} ${DIST_README}
    DEPENDS ${DIST_DEPENDS}
    COMMENT "Packing the zip and the installer")
  add_custom_target(dist ALL DEPENDS ${DIST_OUTPUTS})
endif()
