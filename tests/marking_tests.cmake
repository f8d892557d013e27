# Marking: the score and its overlay, and the cells of the summaries.
dravel_add_test(drawing_match_test SOURCES drawing_match_test.cpp
  LIBS dravel::marking dravel::test_support)
dravel_add_test(csv_cell_test SOURCES csv_cell_test.cpp LIBS dravel::marking)
set_target_properties(drawing_match_test csv_cell_test PROPERTIES AUTOMOC OFF)
