file(GLOB paginor_host_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/*.cpp)
list(APPEND PAGINOR_PLUGIN_SOURCES ${paginor_host_sources})
