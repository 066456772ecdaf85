# vortalix2_level_objects(NAME SOURCES files... [BASELINE files...]): the objects of code built
# once per instruction-set level. NAME_baseline compiles the sources (and the baseline-only
# files) for the x86-64 baseline, which makes the scalar and two-lane levels; where the build
# makes wider copies, NAME_avx2 and NAME_avx512 compile the sources again for those sets, each
# in a namespace of its own (VORTALIX2_ISA), so that no inline code built for one set can
# replace another's at link. Sets NAME_OBJECTS in the caller to all their objects.
function(vortalix2_level_objects name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;BASELINE")
  add_library(${name}_baseline OBJECT ${arg_SOURCES} ${arg_BASELINE})
  set(libs ${name}_baseline)
  if(VORTALIX2_WIDER_COPIES)
    add_library(${name}_avx2 OBJECT ${arg_SOURCES})
    target_compile_definitions(${name}_avx2 PRIVATE VORTALIX2_ISA=isa_avx2 VORTALIX2_LANES=4)
    target_compile_options(${name}_avx2 PRIVATE -march=x86-64-v3 -mtune=generic)
    add_library(${name}_avx512 OBJECT ${arg_SOURCES})
    target_compile_definitions(${name}_avx512 PRIVATE VORTALIX2_ISA=isa_avx512 VORTALIX2_LANES=8)
    target_compile_options(${name}_avx512 PRIVATE -march=x86-64-v4 -mtune=generic
                           -mprefer-vector-width=512)
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
      # GCC 12 misreads the undefined pass-through operand of its own AVX-512 intrinsics as an
      # uninitialised variable.
      target_compile_options(${name}_avx512 PRIVATE -Wno-maybe-uninitialized -Wno-uninitialized)
    endif()
    list(APPEND libs ${name}_avx2 ${name}_avx512)
    target_compile_definitions(${name}_baseline PRIVATE VORTALIX2_HAVE_AVX2 VORTALIX2_HAVE_AVX512)
  endif()
  set(objects)
  foreach(lib ${libs})
    target_include_directories(${lib} PRIVATE ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../src)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      # Lane masks are combined with & and | on purpose: both sides are cheap and branch-free.
      target_compile_options(${lib} PRIVATE -Wno-bitwise-instead-of-logical)
    endif()
    target_compile_options(${lib} PRIVATE ${VORTALIX2_FP_FLAGS} ${VORTALIX2_WARNINGS})
    set_target_properties(${lib} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
    list(APPEND objects $<TARGET_OBJECTS:${lib}>)
  endforeach()
  set(${name}_OBJECTS ${objects} PARENT_SCOPE)
endfunction()
