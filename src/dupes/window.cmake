# The duplicate finder window Form2 and the plain helpers it is made of.
add_library(vs_dupes STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SizeRange.cpp ${CMAKE_CURRENT_LIST_DIR}/SizeRange.h
  ${CMAKE_CURRENT_LIST_DIR}/Hourglass.cpp ${CMAKE_CURRENT_LIST_DIR}/Hourglass.h
)
target_link_libraries(vs_dupes PUBLIC vs_util)
