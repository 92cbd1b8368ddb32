# The plug-in a host loads: libpaginor.so, made of the core's objects, with
# FMExternCallProc as its only exported symbol. It does not link libfmx: as
# with the real host, its FM_ calls resolve against the host's copy when the
# host loads it.
set(PAGINOR_PLUGIN_EXPORTS ${CMAKE_CURRENT_LIST_DIR}/host/plugin_exports.map)
add_library(paginor SHARED $<TARGET_OBJECTS:paginor_core>)
target_link_libraries(paginor PRIVATE win com)
target_link_options(paginor PRIVATE -Wl,--version-script=${PAGINOR_PLUGIN_EXPORTS})
set_target_properties(paginor PROPERTIES LINK_DEPENDS ${PAGINOR_PLUGIN_EXPORTS})
