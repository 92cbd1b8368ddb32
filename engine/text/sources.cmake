# The words of an open document's pages, built into the engine's core. The
# poppler side and its loader are targets of engine/text/CMakeLists.txt.
list(APPEND PAGINOR_ENGINE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/current_page_words.cpp
  ${CMAKE_CURRENT_LIST_DIR}/words_in_ranges.cpp)
