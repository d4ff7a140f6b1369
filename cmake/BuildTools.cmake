# The programs the build runs (the resource compiler, the font resource generator) and the
# test tools that programs of the build machine start (snmpd's pass program), built for the
# build machine in every tree.
#
# A native tree builds them as its own targets (the sanitizer tree checks them too). A tree for
# another machine builds tools/buildtools as a native project of its own beside itself.
#
# Sets KV_RESCOMP, KV_FONTGEN and KV_SNMP_PASS (full paths) and KV_BUILD_TOOLS (the target that
# makes them).
if(NOT CMAKE_CROSSCOMPILING)
  add_subdirectory(tools/rescomp)
  add_subdirectory(tools/fontgen)
  add_subdirectory(tools/snmp)
  set(KV_RESCOMP $<TARGET_FILE:rescomp>)
  set(KV_FONTGEN $<TARGET_FILE:fontgen>)
  set(KV_SNMP_PASS $<TARGET_FILE:kvsnmppass>)
  add_custom_target(kvbuildtools)
  add_dependencies(kvbuildtools rescomp fontgen kvsnmppass)
else()
  include(ExternalProject)
  set(tools_dir ${CMAKE_BINARY_DIR}/buildtools)
  set(KV_RESCOMP ${tools_dir}/bin/rescomp)
  set(KV_FONTGEN ${tools_dir}/bin/fontgen)
  set(KV_SNMP_PASS ${tools_dir}/bin/kvsnmppass)
  # The native compiler (the environment's, else the system's c++) with this tree's build type
  # and optimisation, without this tree's toolchain.
  set(tools_args -DKV_WERROR=${KV_WERROR})
  if(CMAKE_BUILD_TYPE)
    string(TOUPPER ${CMAKE_BUILD_TYPE} type)
    list(APPEND tools_args -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE} "-DCMAKE_CXX_FLAGS_${type}=${CMAKE_CXX_FLAGS_${type}}")
  endif()
  ExternalProject_Add(kvbuildtools_native
    SOURCE_DIR ${PROJECT_SOURCE_DIR}/tools/buildtools
    BINARY_DIR ${tools_dir}
    CMAKE_GENERATOR ${CMAKE_GENERATOR}
    CMAKE_ARGS ${tools_args}
    BUILD_ALWAYS ON
    INSTALL_COMMAND ""
    BUILD_BYPRODUCTS ${KV_RESCOMP} ${KV_FONTGEN} ${KV_SNMP_PASS}
    USES_TERMINAL_BUILD ON)
  add_custom_target(kvbuildtools DEPENDS kvbuildtools_native)
endif()
set(KV_BUILD_TOOLS kvbuildtools)
