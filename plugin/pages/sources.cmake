list(APPEND PAGINOR_PLUGIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/unavailable_page_functions.cpp)
