# The duplicate finder window Form2 and the plain helpers it is made of.
add_library(vs_dupes STATIC
  ${CMAKE_CURRENT_LIST_DIR}/SizeRange.cpp ${CMAKE_CURRENT_LIST_DIR}/SizeRange.h
  ${CMAKE_CURRENT_LIST_DIR}/Hourglass.cpp ${CMAKE_CURRENT_LIST_DIR}/Hourglass.h
  ${CMAKE_CURRENT_LIST_DIR}/StatusTexts.cpp ${CMAKE_CURRENT_LIST_DIR}/StatusTexts.h
  ${CMAKE_CURRENT_LIST_DIR}/StatusPanel.cpp ${CMAKE_CURRENT_LIST_DIR}/StatusPanel.h
  ${CMAKE_CURRENT_LIST_DIR}/WindowIcon.cpp ${CMAKE_CURRENT_LIST_DIR}/WindowIcon.h
)
target_sources(vs_dupes PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/Form2.cpp ${CMAKE_CURRENT_LIST_DIR}/Form2.h)
# The window needs the drive and folder list boxes (vs_lists, defined in
# src/app, which is added after this folder: the name is resolved when the
# build is generated).
target_link_libraries(vs_dupes PUBLIC vs_dupes_engine vs_lists vs_util)
