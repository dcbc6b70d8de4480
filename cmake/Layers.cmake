# How the libraries are layered, and the one precompiled header of the
# window libraries.
#
#   util        value types, error numbers, service interfaces     Qt Core
#   fs          the walkers' system calls, the file-system service Qt Core
#   engines     vs_drives_core, vs_dupes_engine, vs_report_core    Qt Core
#   widgets     controls shared by the windows                     Qt Widgets
#   windows     scan, drives, dupes, report, about, app            Qt Widgets
#
# A library links only layers below its own. The engines never see the
# Widgets include path, so a window header included there does not compile
# (the layering test in tests/layers proves it).

# Qt Widgets compiled once for every window library and test.
add_library(vs_pch OBJECT ${CMAKE_SOURCE_DIR}/cmake/pch.cpp)
target_link_libraries(vs_pch PRIVATE Qt6::Widgets)
target_precompile_headers(vs_pch PRIVATE <QtWidgets/QtWidgets>)

# A library or executable that may use widgets.
function(vs_window_target target)
  target_link_libraries(${target} PUBLIC Qt6::Widgets)
  target_precompile_headers(${target} REUSE_FROM vs_pch)
endfunction()

# A library below the widgets: Qt Core and the threads library only.
function(vs_core_library target)
  target_link_libraries(${target} PUBLIC Qt6::Core Threads::Threads)
endfunction()
