# Names of the shared libraries per tree. A library is a plain ELF shared object named
# after its DLL name; the stand-in loader resolves "NAME.dll" to "NAME.so".
if(KV_X64)
  set(KV_RENDER_NAME KV416SD)
  set(KV_UI_NAME KV416SU)
  set(KV_LANGMON_NAME VQRTD31X)
  set(KV_LANG_PREFIX KV416)
else()
  set(KV_RENDER_NAME KV410SD)
  set(KV_UI_NAME KV410SU)
  set(KV_LANGMON_NAME VQRTD31K)
  set(KV_LANG_PREFIX KV410)
endif()

# kv_module(target NAME): a loadable library named NAME.so in the output folder.
function(kv_module target name)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${name} SUFFIX ".so")
  target_link_options(${target} PRIVATE -Wl,--no-undefined)
endfunction()
