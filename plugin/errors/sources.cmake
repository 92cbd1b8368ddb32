list(APPEND PAGINOR_PLUGIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/error_messages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/last_error_record.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unknown_exception_detail.cpp)
