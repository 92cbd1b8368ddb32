list(APPEND PAGINOR_PLUGIN_SOURCES ${CMAKE_CURRENT_LIST_DIR}/unavailable_form_functions.cpp)
