# Host build: the portable logic with its unit tests, benchmarks and fuzzers.
find_package(GTest REQUIRED)
include(GoogleTest)

file(GLOB MOUNTWICK_FAKE_SOURCES CONFIGURE_DEPENDS tests/fakes/*.cpp)
add_library(mountwick_fakes STATIC ${MOUNTWICK_FAKE_SOURCES})
target_include_directories(mountwick_fakes PUBLIC tests)
target_link_libraries(mountwick_fakes PUBLIC mountwick_core)
mountwick_warnings(mountwick_fakes)

file(GLOB MOUNTWICK_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*_test.cpp)
list(FILTER MOUNTWICK_UNIT_TESTS EXCLUDE REGEX "_win_test\\.cpp$")
add_executable(mountwick_unit_tests ${MOUNTWICK_UNIT_TESTS})
target_link_libraries(mountwick_unit_tests PRIVATE mountwick_fakes GTest::gtest GTest::gmock GTest::gtest_main pthread)
mountwick_warnings(mountwick_unit_tests)
gtest_discover_tests(mountwick_unit_tests DISCOVERY_TIMEOUT 60)

if(MOUNTWICK_BENCH AND EXISTS ${CMAKE_SOURCE_DIR}/bench/CMakeLists.txt)
  add_subdirectory(bench)
endif()
if(MOUNTWICK_FUZZ AND EXISTS ${CMAKE_SOURCE_DIR}/fuzz/CMakeLists.txt)
  add_subdirectory(fuzz)
endif()
