# Tests of the duplicate engine on real temporary trees.
vs_add_test(test_dupes_engine
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/EngineTestHost.h
    ${CMAKE_CURRENT_LIST_DIR}/EngineChecksumTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EngineWalkTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EngineGroupsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EngineMatchTest.cpp
  LIBS vs_dupes_engine)
