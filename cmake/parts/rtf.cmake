# The RTF engine's extra build piece: the sanitizer replay of the RTF reader's fuzz corpus.

# The fuzz corpus replayed through the reader's fuzz entry point, with the RTF sources compiled
# again under AddressSanitizer and UndefinedBehaviorSanitizer (Qt itself is not instrumented).
if(WORDLARK_BUILD_TESTS)
  file(GLOB RTF_ENGINE_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/platform/rtf/*.cpp
       ${CMAKE_SOURCE_DIR}/src/platform/document/*.cpp)
  list(APPEND RTF_ENGINE_SOURCES ${CMAKE_SOURCE_DIR}/src/platform/pictures/WindowsMetafile.cpp)
  add_executable(rtf_reader_fuzz_replay ${RTF_ENGINE_SOURCES}
                 ${CMAKE_SOURCE_DIR}/tests/fuzz/rtf_reader_fuzz.cpp
                 ${CMAKE_SOURCE_DIR}/tests/fuzz/fuzz_replay_main.cpp)
  set_target_properties(rtf_reader_fuzz_replay PROPERTIES AUTOMOC OFF)
  target_include_directories(rtf_reader_fuzz_replay PRIVATE ${CMAKE_SOURCE_DIR}/src)
  set(WORDLARK_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_compile_options(rtf_reader_fuzz_replay PRIVATE ${WORDLARK_SANITIZE} -O1)
  target_link_options(rtf_reader_fuzz_replay PRIVATE ${WORDLARK_SANITIZE})
  target_link_libraries(rtf_reader_fuzz_replay PRIVATE Qt6::Gui)
  add_test(NAME rtf_reader_fuzz_replay
           COMMAND rtf_reader_fuzz_replay ${CMAKE_SOURCE_DIR}/tests/data/rtf)
  set_tests_properties(rtf_reader_fuzz_replay PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=0:allocator_may_return_null=0;UBSAN_OPTIONS=print_stacktrace=1"
    TIMEOUT 600)
endif()
