# Host build: the portable logic with its unit tests, benchmarks and fuzzers.
find_package(GTest REQUIRED)
include(GoogleTest)

include(cmake/fakes.cmake)
target_link_libraries(mountwick_unit_tests PRIVATE mountwick_fakes GTest::gtest GTest::gmock GTest::gtest_main pthread)
gtest_discover_tests(mountwick_unit_tests DISCOVERY_TIMEOUT 60)

if(MOUNTWICK_BENCH)
  add_subdirectory(bench)
endif()
if(MOUNTWICK_FUZZ)
  add_subdirectory(fuzz)
endif()
