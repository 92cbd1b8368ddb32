list(APPEND PAGINOR_PLUGIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/document_info.cpp
  ${CMAKE_CURRENT_LIST_DIR}/field_access.cpp
  ${CMAKE_CURRENT_LIST_DIR}/field_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/field_loading.cpp
  ${CMAKE_CURRENT_LIST_DIR}/info_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_date.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picker_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pickers.cpp
)
