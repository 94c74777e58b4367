# The Windows metafile player's fuzz corpus replayed through its fuzz entry point, with the player
# compiled again under AddressSanitizer and UndefinedBehaviorSanitizer (Qt itself is not
# instrumented). With Clang, -DWORDLARK_LIBFUZZER=ON also builds the libFuzzer target wmf_fuzz.

if(WORDLARK_BUILD_TESTS)
  set(WMF_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_executable(wmf_fuzz_replay
                 ${CMAKE_SOURCE_DIR}/src/platform/pictures/WindowsMetafile.cpp
                 ${CMAKE_SOURCE_DIR}/tests/fuzz/wmf_fuzz.cpp
                 ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_replay_main.cpp)
  set_target_properties(wmf_fuzz_replay PROPERTIES AUTOMOC OFF)
  target_include_directories(wmf_fuzz_replay PRIVATE ${CMAKE_SOURCE_DIR}/src)
  target_compile_options(wmf_fuzz_replay PRIVATE ${WMF_SANITIZE} -O1)
  target_link_options(wmf_fuzz_replay PRIVATE ${WMF_SANITIZE})
  target_link_libraries(wmf_fuzz_replay PRIVATE Qt6::Gui)
  add_test(NAME wmf_fuzz_replay COMMAND wmf_fuzz_replay ${CMAKE_SOURCE_DIR}/tests/data/wmf)
  set_tests_properties(wmf_fuzz_replay PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=0;UBSAN_OPTIONS=print_stacktrace=1"
    TIMEOUT 600)

  option(WORDLARK_LIBFUZZER "Build libFuzzer targets (Clang only)" OFF)
  if(WORDLARK_LIBFUZZER AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_executable(wmf_fuzz
                   ${CMAKE_SOURCE_DIR}/src/platform/pictures/WindowsMetafile.cpp
                   ${CMAKE_SOURCE_DIR}/tests/fuzz/wmf_fuzz.cpp)
    set_target_properties(wmf_fuzz PROPERTIES AUTOMOC OFF)
    target_include_directories(wmf_fuzz PRIVATE ${CMAKE_SOURCE_DIR}/src)
    target_compile_options(wmf_fuzz PRIVATE -fsanitize=fuzzer,address,undefined -O1 -g)
    target_link_options(wmf_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(wmf_fuzz PRIVATE Qt6::Gui)
  endif()
endif()
