# The fake platform and the portable unit tests, shared by the host and the
# Windows builds. Windows-only tests end in _win_test.cpp.
file(GLOB MOUNTWICK_FAKE_SOURCES CONFIGURE_DEPENDS tests/fakes/*.cpp)
add_library(mountwick_fakes STATIC ${MOUNTWICK_FAKE_SOURCES})
target_include_directories(mountwick_fakes PUBLIC tests)
target_link_libraries(mountwick_fakes PUBLIC mountwick_core)
mountwick_warnings(mountwick_fakes)

file(GLOB MOUNTWICK_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*_test.cpp)
list(FILTER MOUNTWICK_UNIT_TESTS EXCLUDE REGEX "_win_test\\.cpp$")
add_executable(mountwick_unit_tests ${MOUNTWICK_UNIT_TESTS})
mountwick_warnings(mountwick_unit_tests)
