vs_add_test(test_dupes_window
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/SizeRangeTest.cpp
  LIBS vs_dupes)
