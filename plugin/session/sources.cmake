list(APPEND PAGINOR_PLUGIN_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/application_script_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/com_failure.cpp
  ${CMAKE_CURRENT_LIST_DIR}/create_instance.cpp
  ${CMAKE_CURRENT_LIST_DIR}/document_script_functions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/guarded_steps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/input_blocking_hooks.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_session_application.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_session_documents.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_session_page_count.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pdf_session_save.cpp
  ${CMAKE_CURRENT_LIST_DIR}/session_shutdown.cpp
  ${CMAKE_CURRENT_LIST_DIR}/temporary_bstr.cpp)
