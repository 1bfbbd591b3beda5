# Collects the sources of one folder (non-recursive) so new files join the build
# without editing lists.
function(reelvista_sources out dir)
  file(GLOB _src CONFIGURE_DEPENDS ${dir}/*.cpp ${dir}/*.c ${dir}/*.h)
  set(${out} ${_src} PARENT_SCOPE)
endfunction()
