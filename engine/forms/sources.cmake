# The forms object, field collection, enumerator and field objects, built
# into the engine's core. The qpdf-level form library they use is the target
# paginor_engine_forms of engine/forms/CMakeLists.txt.
list(APPEND PAGINOR_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/document_form.cpp
  ${CMAKE_CURRENT_LIST_DIR}/forms_application_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form_fields_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/field_enumerator_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/form_field_object.cpp)
