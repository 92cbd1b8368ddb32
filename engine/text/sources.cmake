# The page and text-selection objects, built into the engine's core. The
# poppler side and its loader are targets of engine/text/CMakeLists.txt.
list(APPEND PAGINOR_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/page_object_factory.cpp
  ${CMAKE_CURRENT_LIST_DIR}/page_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text_selection_object.cpp
  ${CMAKE_CURRENT_LIST_DIR}/current_page_words.cpp
  ${CMAKE_CURRENT_LIST_DIR}/words_in_ranges.cpp)
