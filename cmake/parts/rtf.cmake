# The RTF engine's extra build pieces: the converter compiled into the targets that test and time
# it, and the sanitizer replay of the RTF reader's fuzz corpus.

set(WORDLARK_CONVERTER_SOURCES ${CMAKE_SOURCE_DIR}/src/app/Converter.cpp ${CMAKE_SOURCE_DIR}/src/app/Converter.h)
foreach(target test_app wordlark_bench)
  if(TARGET ${target})
    get_target_property(existing ${target} SOURCES)
    if(NOT existing MATCHES "Converter.cpp")
      target_sources(${target} PRIVATE ${WORDLARK_CONVERTER_SOURCES})
    endif()
  endif()
endforeach()
