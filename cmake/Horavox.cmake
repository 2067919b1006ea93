# Helpers shared by the subsystems' CMakeLists.

# Paths as the code under test sees them: the Windows tree runs under Wine, where the
# Unix root is drive Z:.
function(horavox_host_path out path)
  if(HORAVOX_WINDOWS)
    set(${out} "Z:${path}" PARENT_SCOPE)
  else()
    set(${out} "${path}" PARENT_SCOPE)
  endif()
endfunction()

# horavox_link_whole(<target> <lib>...)
# Links every object file of the libraries into <target>: their classes register
# themselves at start-up, and a plain static link would drop the object files nothing calls
# into. (The objects go on the link line themselves, so a library that the link line
# repeats is not linked twice.) Name each library that holds registered classes. A library
# made of layers (classlib: its HORAVOX_LAYERS) brings each layer's objects, and a layer
# named twice is taken once.
function(horavox_link_whole target)
  get_property(taken TARGET ${target} PROPERTY HORAVOX_WHOLE)
  foreach(lib ${ARGN})
    target_link_libraries(${target} PRIVATE ${lib})
    get_property(parts TARGET ${lib} PROPERTY HORAVOX_LAYERS)
    if(NOT parts)
      set(parts ${lib})
    endif()
    foreach(part ${parts})
      if(NOT part IN_LIST taken)
        target_sources(${target} PRIVATE $<TARGET_OBJECTS:${part}>)
        list(APPEND taken ${part})
      endif()
    endforeach()
  endforeach()
  set_property(TARGET ${target} PROPERTY HORAVOX_WHOLE ${taken})
endfunction()

# horavox_form_resources(<target> <text form>... [DATA <folder>...] [DEPENDS <file or target>...])
# Compiles text forms (resources/*.form) into binary form streams at build time with formc
# and links each into <target> as an RCDATA resource named after its root's class in upper
# case (TFORM1). Windows tree only. A form takes files made at build time by name:
# @file(Angel.aal) becomes the bytes of the first Angel.aal found in the DATA folders (a
# binary value, as "FileContents" takes it) and @size(Angel.aal) their count; DEPENDS names
# what makes them.
function(horavox_form_resources target)
  if(NOT HORAVOX_WINDOWS)
    return()
  endif()
  cmake_parse_arguments(F "" "" "DATA;DEPENDS" ${ARGN})
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/${target}_forms)
  file(MAKE_DIRECTORY ${dir})
  set(data_args "")
  foreach(folder ${F_DATA})
    horavox_host_path(host_folder ${folder})
    list(APPEND data_args ${host_folder})
  endforeach()
  set(includes "")
  set(outputs "")
  foreach(form ${F_UNPARSED_ARGUMENTS})
    get_filename_component(source ${form} ABSOLUTE)
    get_filename_component(stem ${form} NAME_WE)
    set(bin ${dir}/${stem}.bin)
    set(rc ${dir}/${stem}.rc)
    horavox_host_path(host_source ${source})
    horavox_host_path(host_bin ${bin})
    horavox_host_path(host_rc ${rc})
    add_custom_command(OUTPUT ${bin} ${rc}
      COMMAND formc ${host_source} ${host_bin} ${host_rc} ${bin} ${data_args}
      DEPENDS formc ${source} ${F_DEPENDS}
      COMMENT "Compiling the form ${form}"
      VERBATIM)
    string(APPEND includes "#include \"${rc}\"\n")
    list(APPEND outputs ${bin} ${rc})
  endforeach()
  # A target may gather forms from several calls (its own and a subsystem's): one script each.
  get_property(calls TARGET ${target} PROPERTY HORAVOX_FORM_SCRIPTS)
  list(LENGTH calls n)
  set_property(TARGET ${target} APPEND PROPERTY HORAVOX_FORM_SCRIPTS ${n})
  set(script ${dir}/forms${n}.rc)
  if(n EQUAL 0)
    set(script ${dir}/forms.rc)
  endif()
  file(CONFIGURE OUTPUT ${script} CONTENT "${includes}")
  target_sources(${target} PRIVATE ${script})
  set_source_files_properties(${script} PROPERTIES OBJECT_DEPENDS "${outputs}")
endfunction()

# horavox_tests(<name> PORTABLE <src>... WINDOWS <src>... LIBS <lib>... [SERIAL])
# One test executable per subsystem, <name>_tests, run once by ctest as test <name>
# (<name>.native in the native tree).
# The native tree builds only the PORTABLE sources; the Windows tree builds both.
function(horavox_tests name)
  cmake_parse_arguments(T "SERIAL" "" "PORTABLE;WINDOWS;LIBS" ${ARGN})
  set(srcs ${T_PORTABLE})
  if(HORAVOX_WINDOWS)
    list(APPEND srcs ${T_WINDOWS})
  endif()
  if(NOT srcs)
    return()
  endif()
  add_executable(${name}_tests ${srcs})
  horavox_link_whole(${name}_tests ${T_LIBS})
  target_link_libraries(${name}_tests PRIVATE horavox_testsupport GTest::gmock GTest::gtest_main)
  add_dependencies(${name}_tests sound_data)
  set(test_name ${name})
  if(NOT HORAVOX_WINDOWS)
    set(test_name ${name}.native)
  endif()
  add_test(NAME ${test_name} COMMAND ${name}_tests --gtest_brief=1)
  if(T_SERIAL)
    set_tests_properties(${test_name} PROPERTIES RUN_SERIAL ON)
  endif()
  if(HORAVOX_WINDOWS)
    # What the tests play goes nowhere (tools/wine-env.sh), also where there is no sound card.
    set_tests_properties(${test_name} PROPERTIES ENVIRONMENT HORAVOX_CAPTURE=/dev/null)
  endif()
endfunction()

# horavox_fuzzer(<name> SOURCES <src>... LIBS <lib>... SEEDS <dir> [SECONDS <n>])
# A libFuzzer target of the native clang tree, with a bounded run as a test.
function(horavox_fuzzer name)
  cmake_parse_arguments(F "" "SECONDS;SEEDS" "SOURCES;LIBS" ${ARGN})
  if(HORAVOX_WINDOWS OR NOT HORAVOX_SANITIZE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  if(NOT F_SECONDS)
    set(F_SECONDS 5)
  endif()
  add_executable(fuzz_${name} ${F_SOURCES})
  horavox_link_whole(fuzz_${name} ${F_LIBS})
  target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
  set(corpus ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
  file(MAKE_DIRECTORY ${corpus})
  add_test(NAME fuzz_${name}
           COMMAND fuzz_${name} -max_total_time=${F_SECONDS} -rss_limit_mb=1024 -timeout=10
                   -print_final_stats=0 ${corpus} ${F_SEEDS})
endfunction()

# horavox_fuzz_seeds(<writer> SOURCES <src>... LIBS <lib>...)
# A native program that writes fuzzers' seeds with the project's own code (its sources define
# WriteSeeds, tests/support/seed_writer.h), run at build time
# into ${CMAKE_BINARY_DIR}/fuzz-seeds (horavox_fuzz_seed_dir gives a fuzzer's folder there).
function(horavox_fuzz_seeds writer)
  cmake_parse_arguments(S "" "" "SOURCES;LIBS" ${ARGN})
  if(HORAVOX_WINDOWS OR NOT HORAVOX_SANITIZE OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  add_executable(${writer} ${S_SOURCES} ${CMAKE_SOURCE_DIR}/tests/support/seed_writer_main.cpp)
  horavox_link_whole(${writer} ${S_LIBS})
  target_include_directories(${writer} PRIVATE ${CMAKE_SOURCE_DIR}/tests/support)
  set(stamp ${CMAKE_BINARY_DIR}/fuzz-seeds/${writer}.stamp)
  add_custom_command(OUTPUT ${stamp}
    COMMAND ${writer} ${CMAKE_BINARY_DIR}/fuzz-seeds
    COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
    DEPENDS ${writer}
    COMMENT "Writing the seeds of ${writer}"
    VERBATIM)
  add_custom_target(${writer}_run ALL DEPENDS ${stamp})
endfunction()
function(horavox_fuzz_seed_dir var fuzzer)
  set(${var} ${CMAKE_BINARY_DIR}/fuzz-seeds/${fuzzer} PARENT_SCOPE)
endfunction()

# horavox_benchmark(<name> SOURCES <src>... LIBS <lib>...)
# A Google Benchmark program of the native tree; it prints figures and is not a test.
function(horavox_benchmark name)
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  if(HORAVOX_WINDOWS OR HORAVOX_SANITIZE)
    return()  # figures from a sanitized build mean nothing: see tools/bench.sh
  endif()
  find_package(benchmark QUIET)
  if(NOT benchmark_FOUND)
    return()
  endif()
  add_executable(bench_${name} ${B_SOURCES})
  horavox_link_whole(bench_${name} ${B_LIBS})
  target_link_libraries(bench_${name} PRIVATE benchmark::benchmark)
  if(NOT TARGET benchmarks)
    add_custom_target(benchmarks)
  endif()
  add_dependencies(benchmarks bench_${name})
endfunction()

# horavox_assistant_resources(<target>): what a program that shows the assistant character
# carries: the hint bulb's glyphs, the flat button's glyphs and the balloon's tips icon
# (drawn at build time by actorgen) and the speech balloon's form TASSISTANTBALLOON.
function(horavox_assistant_resources target)
  if(NOT HORAVOX_WINDOWS)
    return()
  endif()
  target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/assistant/bulbglyphs.rc ${CMAKE_SOURCE_DIR}/assistant/balloonglyphs.rc)
  target_include_directories(${target} PRIVATE ${HORAVOX_BULB_DIR})
  set_source_files_properties(${CMAKE_SOURCE_DIR}/assistant/bulbglyphs.rc ${CMAKE_SOURCE_DIR}/assistant/balloonglyphs.rc
    PROPERTIES OBJECT_DEPENDS "${HORAVOX_BULB_DIR}/BulbGlyphs256.bmp;${HORAVOX_BULB_DIR}/BalloonTips.bmp")
  add_dependencies(${target} bulb_glyphs)
  horavox_form_resources(${target} ${CMAKE_SOURCE_DIR}/resources/AssistantBalloon.form)
endfunction()
