# The verse families, each one source NAME.cpp and one word file NAME.words
# in this folder. Included by core/CMakeLists.txt, which builds them into the
# generator and turns their word files into tables.
set(VERSOS_FAMILIES
  adverbial_openers
  demonstrative_openers
  genitive_pairs
  reversible_phrases
  base_lines
  likeness
  prepositional_lines
  comparative_lines
  verb_adjective_lists)
list(TRANSFORM VERSOS_FAMILIES PREPEND ${CMAKE_CURRENT_LIST_DIR}/ OUTPUT_VARIABLE VERSOS_FAMILY_PATHS)
list(TRANSFORM VERSOS_FAMILY_PATHS APPEND .cpp OUTPUT_VARIABLE VERSOS_FAMILY_SOURCES)
list(TRANSFORM VERSOS_FAMILY_PATHS APPEND .words OUTPUT_VARIABLE VERSOS_FAMILY_WORD_FILES)
