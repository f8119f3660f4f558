# Options every target of ours gets: warnings, and the text rule. Every narrow
# literal is Shift-JIS bytes on both builds; sources are UTF-8.
function(mountwick_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow
                         -finput-charset=UTF-8)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -fexec-charset=CP932)
    # GCC 12 reports std::string concatenation at -O2 as overlapping memcpy
    # (a known false positive of its -Wrestrict).
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
  # clang accepts no execution charset but UTF-8, so its builds (the fuzzers)
  # keep the literals as UTF-8 bytes; see fuzz/CMakeLists.txt.
  if(MOUNTWICK_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
