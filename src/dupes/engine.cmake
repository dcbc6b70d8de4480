# The duplicate engine: tree walks, file checksum, grouping and the one-file
# search, without widgets (the window and the benchmark both drive it).
find_path(XXHASH_INCLUDE_DIR xxhash.h)
if(NOT XXHASH_INCLUDE_DIR)
  message(FATAL_ERROR "xxhash.h not found: install libxxhash-dev (scripts/setup.sh)")
endif()
add_library(vs_dupes_engine STATIC
  ${CMAKE_CURRENT_LIST_DIR}/DupeHost.h
  ${CMAKE_CURRENT_LIST_DIR}/FileWalk.cpp ${CMAKE_CURRENT_LIST_DIR}/FileWalk.h
  ${CMAKE_CURRENT_LIST_DIR}/FileChecksum.cpp ${CMAKE_CURRENT_LIST_DIR}/FileChecksum.h
  ${CMAKE_CURRENT_LIST_DIR}/ContentReader.h
  ${CMAKE_CURRENT_LIST_DIR}/DuplicateGroups.cpp ${CMAKE_CURRENT_LIST_DIR}/DuplicateGroups.h
  ${CMAKE_CURRENT_LIST_DIR}/OneFileSearch.cpp ${CMAKE_CURRENT_LIST_DIR}/OneFileSearch.h
)
target_include_directories(vs_dupes_engine PRIVATE ${XXHASH_INCLUDE_DIR})
target_link_libraries(vs_dupes_engine PUBLIC vs_util Threads::Threads)
