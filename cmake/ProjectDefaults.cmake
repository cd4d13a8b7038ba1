# Compiler settings shared by every target of ours (not by third-party code such as GoogleTest).

# ccache, when the machine has it: a fresh clone on the same machine (CI) reuses earlier builds,
# wherever it is checked out (paths below the source folder are hashed relative to it).
find_program(MON_CCACHE ccache)
if(MON_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
  set(MON_CCACHE_LAUNCHER ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}
                          CCACHE_NOHASHDIR=1 ${MON_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${MON_CCACHE_LAUNCHER})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${MON_CCACHE_LAUNCHER})
endif()

if(MON_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(MON_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

if(MON_FUZZ)
  # Every library is instrumented for the fuzzer; only fuzz targets link its driver.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WIN32)
  # Static runtime: the shipped executable and DLL need nothing beside them.
  add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--file-alignment=0x1000)
endif()

# mon_target_defaults(<target>): warnings as errors and the platform defines.
function(mon_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Werror)
  if(WIN32)
    target_compile_definitions(${target} PRIVATE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                 _WIN32_WINNT=0x0601)
  endif()
endfunction()

# mon_add_version_info(<target> "<description>"): a VERSIONINFO resource with the project's
# version, product and publisher, and the target's file name (Windows builds only).
function(mon_add_version_info target description)
  if(NOT WIN32)
    return()
  endif()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(MON_VERSION_FILE_TYPE VFT_DLL)
    set(suffix ".dll")
  else()
    set(MON_VERSION_FILE_TYPE VFT_APP)
    set(suffix ".exe")
  endif()
  get_target_property(output_name ${target} OUTPUT_NAME)
  if(NOT output_name)
    set(output_name ${target})
  endif()
  get_target_property(output_suffix ${target} SUFFIX)
  if(output_suffix)
    set(suffix ${output_suffix})
  endif()
  set(MON_VERSION_FILE_NAME "${output_name}${suffix}")
  set(MON_VERSION_DESCRIPTION "${description}")
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
