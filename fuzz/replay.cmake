# Replays the fuzz targets' seed corpus and every crash input found so far, with any
# compiler: the target sources with a main() that feeds them file by file. Included from
# tests/CMakeLists.txt.
set(VORLIN_FUZZ_DIR ${PROJECT_SOURCE_DIR}/fuzz)

add_library(vorlin_fuzz_replay_support STATIC ${VORLIN_FUZZ_DIR}/fuzz_support.cpp
                                              ${VORLIN_FUZZ_DIR}/replay_main.cpp)
target_link_libraries(vorlin_fuzz_replay_support PUBLIC vorlin_core)

foreach(target fuzz_level_file fuzz_level_bitmap fuzz_wav fuzz_replay_file fuzz_net_packet)
  add_executable(replay_${target} ${VORLIN_FUZZ_DIR}/${target}.cpp)
  target_link_libraries(replay_${target} PRIVATE vorlin_fuzz_replay_support)
  add_test(NAME fuzz_replay_${target}
           COMMAND replay_${target} ${VORLIN_FUZZ_DIR}/corpus/${target}
                   ${VORLIN_FUZZ_DIR}/regressions/${target})
  set_tests_properties(fuzz_replay_${target} PROPERTIES TIMEOUT 600)
endforeach()

# Rewrites the seed corpus: make_fuzz_corpus fuzz/corpus
add_executable(make_fuzz_corpus ${VORLIN_FUZZ_DIR}/make_corpus.cpp)
target_link_libraries(make_fuzz_corpus PRIVATE soundgen_effects)
