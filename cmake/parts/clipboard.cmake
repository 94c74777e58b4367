# Clipboard: the file-drop parser's fuzz entry point.
#
# dropfiles_fuzz_replay replays tests/data/dropfiles (and fixed mutations of it) through the entry
# point under the address and undefined-behaviour sanitizers; it is a ctest test. It compiles just
# the parser's sources, which need neither Qt nor the rest of the program.
#
# With clang installed, `cmake --build build --target dropfiles_libfuzzer` also makes a real
# libFuzzer binary (build/fuzz/dropfiles_libfuzzer CORPUS_DIR) for longer fuzzing runs by hand.
if(WORDLARK_BUILD_TESTS)
  set(WORDLARK_DROPFILES_PARSER
      ${PROJECT_SOURCE_DIR}/src/platform/clipboard/DropFiles.cpp
      ${PROJECT_SOURCE_DIR}/src/platform/clipboard/ClipboardAnsi.cpp)
  set(WORDLARK_SANITIZERS -fsanitize=address,undefined -fno-sanitize-recover=all)

  add_executable(dropfiles_fuzz_replay
      ${PROJECT_SOURCE_DIR}/tests/fuzz/dropfiles_fuzz.cpp
      ${PROJECT_SOURCE_DIR}/tests/fuzz/dropfiles_replay.cpp
      ${WORDLARK_DROPFILES_PARSER})
  set_target_properties(dropfiles_fuzz_replay PROPERTIES AUTOMOC OFF AUTORCC OFF AUTOUIC OFF)
  target_include_directories(dropfiles_fuzz_replay PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(dropfiles_fuzz_replay PRIVATE ${WORDLARK_SANITIZERS} -fno-omit-frame-pointer)
  target_link_options(dropfiles_fuzz_replay PRIVATE ${WORDLARK_SANITIZERS})

  add_test(NAME dropfiles_fuzz_replay
           COMMAND dropfiles_fuzz_replay ${PROJECT_SOURCE_DIR}/tests/data/dropfiles)
  set_tests_properties(dropfiles_fuzz_replay PROPERTIES
      TIMEOUT 300
      ENVIRONMENT "ASAN_OPTIONS=abort_on_error=1:detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")

  find_program(WORDLARK_CLANGXX NAMES clang++ clang++-14)
  if(WORDLARK_CLANGXX)
    set(fuzzer ${CMAKE_BINARY_DIR}/fuzz/dropfiles_libfuzzer)
    add_custom_command(OUTPUT ${fuzzer}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/fuzz
        COMMAND ${WORDLARK_CLANGXX} -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined
                -I${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests/fuzz/dropfiles_fuzz.cpp
                ${WORDLARK_DROPFILES_PARSER} -o ${fuzzer}
        DEPENDS ${PROJECT_SOURCE_DIR}/tests/fuzz/dropfiles_fuzz.cpp ${WORDLARK_DROPFILES_PARSER}
                ${PROJECT_SOURCE_DIR}/src/platform/clipboard/DropFiles.h
                ${PROJECT_SOURCE_DIR}/src/platform/clipboard/ClipboardAnsi.h
        VERBATIM)
    add_custom_target(dropfiles_libfuzzer DEPENDS ${fuzzer})
  endif()
endif()
