# SPDX-License-Identifier: GPL-3.0-or-later
# Compiler flags of the fuzz build (-DZOKA_FUZZ=ON): every library and target gets
# the fuzzer's coverage counters, AddressSanitizer and UndefinedBehaviorSanitizer;
# any report stops the run. Qt's own checks (Q_ASSERT in its inline code) stay on.
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "ZOKA_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
endif()
set(CMAKE_CXX_FLAGS_RELWITHDEBINFO "-O1 -gline-tables-only")
set(CMAKE_CXX_FLAGS_DEBUG "-O0 -g")
add_compile_options(-fsanitize=address,undefined -fsanitize=fuzzer-no-link
                    -fno-sanitize-recover=all -fno-omit-frame-pointer -UQT_NO_DEBUG)
add_link_options(-fsanitize=address,undefined)
# The logic under test declares no QObject: no moc step.
set(CMAKE_AUTOMOC OFF)
# -DZOKA_FUZZ_COVERAGE=ON adds source-based coverage, for bench/fuzz-coverage.sh:
# which lines of the readers the corpora reach.
option(ZOKA_FUZZ_COVERAGE "Fuzz build with source-based coverage" OFF)
if(ZOKA_FUZZ_COVERAGE)
  add_compile_options(-fprofile-instr-generate -fcoverage-mapping)
  add_link_options(-fprofile-instr-generate)
endif()
