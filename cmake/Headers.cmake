# Include folders per library. A product library and the platform stand-in are not built
# with the repository's root on their include path: a library's own sources see its own
# folder, and every target that links it sees only the headers it lists as public. Both are
# folders of links in the build tree, so an include of another library's private header, of
# a product library from the platform, or of tests/ or tools/ from a library fails to build.
# (Tests, tools, demos and benchmarks keep the root: they look inside on purpose.)
#
# kv_headers(target FOLDER folder PUBLIC header...)   headers relative to the folder; a glob
#                                                     pattern such as *.h is allowed
# kv_private_headers(target library)                  target also builds sources of library's folder
function(kv_headers target)
  cmake_parse_arguments(H "" "FOLDER" "PUBLIC" ${ARGN})
  set(root ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/private ${root}/public/${H_FOLDER})
  file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${H_FOLDER} ${root}/private/${H_FOLDER} SYMBOLIC)
  set(headers)
  foreach(pattern ${H_PUBLIC})
    file(GLOB matched RELATIVE ${PROJECT_SOURCE_DIR}/${H_FOLDER} CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${H_FOLDER}/${pattern})
    if(NOT matched)
      message(FATAL_ERROR "kv_headers(${target}): no ${H_FOLDER}/${pattern}")
    endif()
    list(APPEND headers ${matched})
  endforeach()
  foreach(header ${headers})
    get_filename_component(dir ${header} DIRECTORY)
    file(MAKE_DIRECTORY ${root}/public/${H_FOLDER}/${dir})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${H_FOLDER}/${header} ${root}/public/${H_FOLDER}/${header} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PRIVATE ${root}/private PUBLIC ${root}/public)
  set_target_properties(${target} PROPERTIES KV_PRIVATE_INCLUDE ${root}/private)
endfunction()

function(kv_private_headers target library)
  get_target_property(private ${library} KV_PRIVATE_INCLUDE)
  target_include_directories(${target} PRIVATE ${private})
endfunction()
