vs_add_test(test_dupes_window
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SizeRangeTest.cpp ${CMAKE_CURRENT_LIST_DIR}/Form2Test.cpp
  LIBS vs_dupes)
