# The toolkit vortalix2_flows: its element loops, built per instruction set like the core's, and
# its extension module vortalix2_flows._core, installed into the Python package of that name.

# One loop table per level, one loop per row of the registry (src/flows/registry.hpp).
set(VORTALIX2_FLOWS_KERNELS src/flows/kernels.cpp)
add_library(vortalix2_flows_loops_baseline OBJECT ${VORTALIX2_FLOWS_KERNELS} src/flows/dispatch.cpp)
set(VORTALIX2_FLOWS_LOOP_LIBS vortalix2_flows_loops_baseline)
if(VORTALIX2_WIDER_COPIES)
  add_library(vortalix2_flows_loops_avx2 OBJECT ${VORTALIX2_FLOWS_KERNELS})
  target_compile_definitions(vortalix2_flows_loops_avx2 PRIVATE VORTALIX2_ISA=isa_avx2 VORTALIX2_LANES=4)
  target_compile_options(vortalix2_flows_loops_avx2 PRIVATE -march=x86-64-v3 -mtune=generic)
  add_library(vortalix2_flows_loops_avx512 OBJECT ${VORTALIX2_FLOWS_KERNELS})
  target_compile_definitions(vortalix2_flows_loops_avx512 PRIVATE VORTALIX2_ISA=isa_avx512 VORTALIX2_LANES=8)
  target_compile_options(vortalix2_flows_loops_avx512 PRIVATE -march=x86-64-v4 -mtune=generic
                         -mprefer-vector-width=512)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(vortalix2_flows_loops_avx512 PRIVATE -Wno-maybe-uninitialized
                           -Wno-uninitialized)
  endif()
  list(APPEND VORTALIX2_FLOWS_LOOP_LIBS vortalix2_flows_loops_avx2 vortalix2_flows_loops_avx512)
  target_compile_definitions(vortalix2_flows_loops_baseline PRIVATE VORTALIX2_HAVE_AVX2 VORTALIX2_HAVE_AVX512)
endif()
set(VORTALIX2_FLOWS_LOOP_OBJECTS)
foreach(lib ${VORTALIX2_FLOWS_LOOP_LIBS})
  target_include_directories(${lib} PRIVATE src)
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    # Lane masks are combined with & and | on purpose: both sides are cheap and branch-free.
    target_compile_options(${lib} PRIVATE -Wno-bitwise-instead-of-logical)
  endif()
  target_compile_options(${lib} PRIVATE ${VORTALIX2_FP_FLAGS} ${VORTALIX2_WARNINGS})
  set_target_properties(${lib} PROPERTIES CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  list(APPEND VORTALIX2_FLOWS_LOOP_OBJECTS $<TARGET_OBJECTS:${lib}>)
endforeach()

if(VORTALIX2_MODULE)
  Python_add_library(vortalix2_flows_core MODULE WITH_SOABI src/flows/module.cpp
                     ${VORTALIX2_FLOWS_LOOP_OBJECTS} ${VORTALIX2_LOOP_OBJECTS})
  set_target_properties(vortalix2_flows_core PROPERTIES OUTPUT_NAME _core
    CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_include_directories(vortalix2_flows_core PRIVATE src ${VORTALIX2_NUMPY_INCLUDE})
  target_compile_options(vortalix2_flows_core PRIVATE ${VORTALIX2_FP_FLAGS} ${VORTALIX2_WARNINGS})
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(vortalix2_flows_core PRIVATE -fno-gnu-unique)
  endif()
  if(NOT APPLE AND NOT WIN32 AND VORTALIX2_GNU_LIKE)
    target_link_options(vortalix2_flows_core PRIVATE -Wl,--exclude-libs,ALL)
  endif()
  install(TARGETS vortalix2_flows_core LIBRARY DESTINATION vortalix2_flows)
endif()

if(VORTALIX2_CPP_TESTS AND TARGET vortalix2_cpp_tests)
  target_sources(vortalix2_cpp_tests PRIVATE ${VORTALIX2_FLOWS_LOOP_OBJECTS})
endif()
