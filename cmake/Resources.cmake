# kv_resources(target script...): compiles the scripts into one table and adds it to target.
# A script is named from the calling folder, or by its full path when the build writes it (the
# build then also writes what it names, and the script's own rule orders the two).
function(kv_resources target)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  set(scripts)
  set(inputs)
  foreach(s ${ARGN})
    if(IS_ABSOLUTE ${s})
      list(APPEND scripts ${s})
      list(APPEND inputs ${s})
      continue()
    endif()
    list(APPEND scripts ${CMAKE_CURRENT_SOURCE_DIR}/${s})
    # Headers and pictures a script names sit beside it or in its pictures/ folder.
    get_filename_component(dir ${CMAKE_CURRENT_SOURCE_DIR}/${s} DIRECTORY)
    file(GLOB beside CONFIGURE_DEPENDS ${dir}/*.h ${dir}/*.txt ${dir}/*.bin ${dir}/*.manifest ${dir}/pictures/*.txt)
    list(APPEND inputs ${beside})
  endforeach()
  # The compiler by its full path: in a tree for another machine it is a program of the
  # build machine's own tools tree, not a target of this one.
  if(CMAKE_CROSSCOMPILING)
    set(tool ${KV_RESCOMP})
  else()
    set(tool rescomp)
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND ${KV_RESCOMP} -o ${out} ${scripts}
    DEPENDS ${tool} ${KV_BUILD_TOOLS} ${scripts} ${inputs}
    COMMENT "Compiling resources of ${target}")
  target_sources(${target} PRIVATE ${out})
  # Clang's check of calls through function pointers gives the table's function type data
  # symbols of their own, and a resource-only module must define its table and nothing else.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND (KV_SANITIZE OR KV_FUZZ))
    set_source_files_properties(${out} PROPERTIES COMPILE_OPTIONS -fno-sanitize=function)
  endif()
endfunction()
