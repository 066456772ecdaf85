# Builds with the C++ cross compiler of PyPI's `ziglang` for an old-glibc target, the way the
# release wheels are built:
#
#   VORTALIX2_ZIG_TARGET=x86_64-linux-gnu.2.17 VORTALIX2_ZIG_PYTHON=/path/to/python \
#       cmake --toolchain cmake/zig-toolchain.cmake ...
#
# VORTALIX2_ZIG_TARGET is a zig target triple with its glibc version (x86_64-linux-gnu.2.17,
# aarch64-linux-gnu.2.17); VORTALIX2_ZIG_PYTHON an interpreter with `ziglang` installed. Both are
# read at configure time and baked into small wrapper scripts in the build folder, so later builds
# need neither. zig links its own libc++ statically and binds glibc symbols at the versions that
# the target's glibc had, so the module needs nothing newer from the system.

if(NOT DEFINED ENV{VORTALIX2_ZIG_TARGET} OR NOT DEFINED ENV{VORTALIX2_ZIG_PYTHON})
  message(FATAL_ERROR "zig-toolchain.cmake needs VORTALIX2_ZIG_TARGET and VORTALIX2_ZIG_PYTHON")
endif()
set(_zig_target "$ENV{VORTALIX2_ZIG_TARGET}")
set(_zig_python "$ENV{VORTALIX2_ZIG_PYTHON}")

string(REGEX MATCH "^[a-z0-9_]+" _zig_arch "${_zig_target}")
if(_zig_arch STREQUAL "aarch64")
  # A foreign processor: CMake must not try to run what it builds.
  set(CMAKE_SYSTEM_NAME Linux)
  set(CMAKE_SYSTEM_PROCESSOR aarch64)
elseif(NOT _zig_arch STREQUAL "x86_64")
  message(FATAL_ERROR "zig-toolchain.cmake: no support for target ${_zig_target}")
endif()

# The wrappers live beside the top build folder (try_compile folders reuse them).
set(_zig_dir "${CMAKE_CURRENT_LIST_DIR}/../build/zig-wrappers/${_zig_target}")
file(MAKE_DIRECTORY "${_zig_dir}")
# zig's clang names CPUs with -mcpu (x86_64_v3), not GCC's -march=x86-64-v3, and has no
# -mtune=generic; the GCC-only warning switch would only be warned about, and its linker has no
# --exclude-libs (what it exports is checked on the built module instead).
file(WRITE "${_zig_dir}/c++.tmp" "#!/bin/sh
for arg; do
  shift
  case \"$arg\" in
    -march=x86-64-v*) set -- \"$@\" \"-mcpu=x86_64_v\${arg#-march=x86-64-v}\" ;;
    -mtune=generic|-Wno-maybe-uninitialized|-Wl,--exclude-libs,ALL) ;;
    *) set -- \"$@\" \"$arg\" ;;
  esac
done
exec \"${_zig_python}\" -m ziglang c++ -target ${_zig_target} \"$@\"
")
foreach(_tool ar ranlib)
  file(WRITE "${_zig_dir}/${_tool}.tmp" "#!/bin/sh\nexec \"${_zig_python}\" -m ziglang ${_tool} \"$@\"\n")
endforeach()
foreach(_tool c++ ar ranlib)
  file(CHMOD "${_zig_dir}/${_tool}.tmp" FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
       GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
  file(COPY_FILE "${_zig_dir}/${_tool}.tmp" "${_zig_dir}/${_tool}" ONLY_IF_DIFFERENT)
endforeach()

# Each module exports its init function only (zig's libc++ would also export operator new and
# delete, weakly, for the interpreter's other modules to bind to).
file(WRITE "${_zig_dir}/exports.map" "{ global: PyInit_*; local: *; };\n")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-Wl,--version-script=${_zig_dir}/exports.map")

set(CMAKE_CXX_COMPILER "${_zig_dir}/c++")
set(CMAKE_AR "${_zig_dir}/ar" CACHE FILEPATH "" FORCE)
set(CMAKE_RANLIB "${_zig_dir}/ranlib" CACHE FILEPATH "" FORCE)
# Headers and libraries of the build machine are not the target's.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
