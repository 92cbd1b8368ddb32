list(APPEND PAGINOR_PLUGIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/document_append.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_deletion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_edit_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_insertion.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_text_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/path_list.cpp
  ${CMAKE_CURRENT_LIST_DIR}/print_function.cpp
  ${CMAKE_CURRENT_LIST_DIR}/printing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/source_document.cpp
)
