# The glue between an open document and the form library, built into the
# engine's core. The qpdf-level form library itself is the target
# paginor_engine_forms of engine/forms/CMakeLists.txt.
list(APPEND PAGINOR_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/document_form.cpp)
