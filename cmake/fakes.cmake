# The fake platform and the portable unit tests, shared by the host and the
# Windows builds. Windows-only tests end in _win_test.cpp.
add_library(mountwick_fakes INTERFACE)
target_include_directories(mountwick_fakes INTERFACE tests)
target_link_libraries(mountwick_fakes INTERFACE mountwick_core)

file(GLOB MOUNTWICK_UNIT_TESTS CONFIGURE_DEPENDS tests/unit/*_test.cpp)
list(FILTER MOUNTWICK_UNIT_TESTS EXCLUDE REGEX "_win_test\\.cpp$")
# The storm: random events against the dispatcher, checked against the promise's model.
file(GLOB MOUNTWICK_STORM CONFIGURE_DEPENDS tests/storm/*.cpp)
add_executable(mountwick_unit_tests ${MOUNTWICK_UNIT_TESTS} ${MOUNTWICK_STORM})
mountwick_warnings(mountwick_unit_tests)
