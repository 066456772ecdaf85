# The toolkit vortalix2_flows: its element loops, built per instruction set like the core's, and
# its extension module vortalix2_flows._core, installed into the Python package of that name.

# One loop table per level, one loop per row of the registry (src/relations/flows/registry.hpp).
vortalix2_level_objects(vortalix2_flows_loops SOURCES src/eval/toolkit_loops.cpp)
set(VORTALIX2_FLOWS_LOOP_OBJECTS ${vortalix2_flows_loops_OBJECTS})

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
